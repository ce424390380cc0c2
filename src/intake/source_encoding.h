// The encodings a source text is read in.
#pragma once

#include <string_view>

namespace dm {

enum class SourceEncoding {
  ShiftJis,  // no mark and not UTF-8 (also a source of plain ASCII)
  Utf16Le,   // begins with FF FE
  Utf16Be,   // begins with FE FF
  Utf8,      // begins with EF BB BF, or no mark and well-formed UTF-8 with multi-byte characters
  Workbook,  // an .xlsx or .ods workbook, read as its first sheet's text export
};

// The encoding's name as messages show it: "Shift-JIS", "UTF-16LE",
// "UTF-16BE", "UTF-8" or, for a workbook, "its first sheet".
constexpr std::string_view encodingName(SourceEncoding encoding) {
  switch (encoding) {
    case SourceEncoding::Utf16Le:
      return "UTF-16LE";
    case SourceEncoding::Utf16Be:
      return "UTF-16BE";
    case SourceEncoding::Utf8:
      return "UTF-8";
    case SourceEncoding::Workbook:
      return "its first sheet";
    case SourceEncoding::ShiftJis:
      break;
  }
  return "Shift-JIS";
}

}  // namespace dm
