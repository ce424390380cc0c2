#include "textio/tokenizer.h"

#include "textio/hex.h"

namespace dm {

std::optional<std::u16string_view> FieldCursor::nextField(std::u16string_view delimiters) {
  if (pos_ >= text_.size()) return std::nullopt;
  std::size_t end = text_.find_first_of(delimiters, pos_);
  std::u16string_view token;
  if (end == std::u16string_view::npos) {
    token = text_.substr(pos_);
    pos_ = text_.size();
  } else {
    token = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
  }
  return token;
}

bool parseHexPrefix(std::u16string_view text, std::size_t digits, std::uint32_t& number) {
  if (text.size() < digits) return false;
  number = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const int v = hexDigitValue(text[i]);
    if (v < 0) return false;
    number = number << 4 | static_cast<std::uint32_t>(v);
  }
  return true;
}

std::u16string widen(std::string_view narrow) {
  std::u16string out;
  out.reserve(narrow.size());
  for (char c : narrow) out.push_back(static_cast<char16_t>(static_cast<signed char>(c)));
  return out;
}

}  // namespace dm
