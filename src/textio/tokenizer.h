// Small text helpers: the field tokenizer and the path pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dm {

// A tokenizer over wide text. Unlike strtok it does not skip leading
// delimiters, so adjacent delimiters yield empty tokens. Each tokenizer keeps
// its own cursor.
class FieldCursor {
 public:
  FieldCursor() = default;
  explicit FieldCursor(std::u16string_view text) : text_(text), pos_(0) {}

  // Starts over on `text`.
  void reset(std::u16string_view text) {
    text_ = text;
    pos_ = 0;
  }

  // Returns the text up to the first of `delimiters` and moves past that
  // delimiter; the rest of the text when none follows. Returns nullopt only
  // when the cursor already stands at the end of the text.
  std::optional<std::u16string_view> nextField(std::u16string_view delimiters);

  // The text after the cursor.
  std::u16string_view rest() const { return text_.substr(pos_ < text_.size() ? pos_ : text_.size()); }

 private:
  std::u16string_view text_;
  std::size_t pos_ = std::u16string_view::npos;
};

// Index of the last `unit` in `text`, or npos. Used with '/' to split a path
// from its file name and with '.' to split an extension.
inline std::size_t lastOf(std::u16string_view text, char16_t unit) { return text.rfind(unit); }
inline std::size_t lastOf(std::string_view text, char unit) { return text.rfind(unit); }

// True for "." and "..".
inline bool isDotEntry(std::string_view name) { return name == "." || name == ".."; }

// Reads the first `digits` code units of `text` as a hexadecimal number
// (either letter case). False when the text is shorter or a unit is not a
// hex digit.
bool parseHexPrefix(std::u16string_view text, std::size_t digits, std::uint32_t& number);

// Copies each byte to one code unit, sign-extended (for ASCII work paths).
std::u16string widen(std::string_view narrow);

}  // namespace dm
