// The encodings a source text is read in.
#pragma once

#include <string_view>

namespace dm {

enum class SourceEncoding {
  ShiftJis,  // no mark and not UTF-8 (also a source of plain ASCII)
  Utf16Le,   // begins with FF FE
  Utf16Be,   // begins with FE FF
  Utf8,      // begins with EF BB BF, or no mark and well-formed UTF-8 with multi-byte characters
};

// The encoding's name as messages show it: "Shift-JIS", "UTF-16LE",
// "UTF-16BE" or "UTF-8".
constexpr std::string_view encodingName(SourceEncoding encoding) {
  switch (encoding) {
    case SourceEncoding::Utf16Le:
      return "UTF-16LE";
    case SourceEncoding::Utf16Be:
      return "UTF-16BE";
    case SourceEncoding::Utf8:
      return "UTF-8";
    case SourceEncoding::ShiftJis:
      break;
  }
  return "Shift-JIS";
}

}  // namespace dm
