#include "textio/case_fold.h"

#include "textio/wide_line.h"

namespace dm {

char16_t lowerCaseUnit(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 32;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;           // Latin-1
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;          // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 32;                        // Cyrillic
  if (c >= 0x400 && c <= 0x40F) return c + 80;                        // Cyrillic Ѐ-Џ
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;                      // full-width A-Z
  return c;
}

std::u16string lowerCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = lowerCaseUnit(c);
  return out;
}

std::string lowerCaseUtf8(std::string_view text) { return utf16ToUtf8(lowerCase(utf8ToUtf16(text))); }

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerCaseUnit(a[i]) != lowerCaseUnit(b[i])) return false;
  return true;
}

std::string lowerCaseExtension(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string_view::npos ? std::string() : lowerCaseUtf8(fileName.substr(dot));
}

}  // namespace dm
