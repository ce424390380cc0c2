#include "textio/hex.h"

#include <charconv>

namespace dm {

namespace {

template <typename View>
bool readDigits(View text, std::size_t digits, std::uint32_t& value) {
  if (text.size() < digits) return false;
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const int d = hexDigitValue(static_cast<char32_t>(text[i]));
    if (d < 0) return false;
    v = v * 16 + static_cast<std::uint32_t>(d);
  }
  value = v;
  return true;
}

}  // namespace

bool readHexDigits(std::string_view text, std::size_t digits, std::uint32_t& value) {
  return readDigits(text, digits, value);
}

bool readHexDigits(std::u16string_view text, std::size_t digits, std::uint32_t& value) {
  return readDigits(text, digits, value);
}

void appendHex(std::string& out, std::uint64_t value, int width, HexCase letters) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
  const int n = static_cast<int>(end - digits);
  if (width > n) out.append(static_cast<std::size_t>(width - n), '0');
  for (const char* p = digits; p != end; ++p)
    out.push_back(letters == HexCase::kUpper && *p >= 'a' ? static_cast<char>(*p - 'a' + 'A') : *p);
}

std::string hexText(std::uint64_t value, int width, HexCase letters) {
  std::string out;
  appendHex(out, value, width, letters);
  return out;
}

}  // namespace dm
