#include "textio/tokenizer.h"

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

std::u16string widen(std::string_view narrow) {
  std::u16string out;
  out.reserve(narrow.size());
  for (char c : narrow) out.push_back(static_cast<char16_t>(static_cast<signed char>(c)));
  return out;
}

}  // namespace dm
