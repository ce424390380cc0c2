// Hex digits as the work files and the tables spell them: the value of one
// digit, reading a fixed number of digits, and writing a number zero-padded
// in either letter case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dm {

// The value of a hex digit (0-9, a-f, A-F); -1 for any other character.
constexpr int hexDigitValue(char32_t c) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a') + 10;
  if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A') + 10;
  return -1;
}

constexpr bool isHexDigit(char32_t c) { return hexDigitValue(c) >= 0; }

// Reads exactly `digits` hex digits from the front of `text` into `value`;
// false (and `value` untouched) when `text` is shorter or holds another
// character there.
bool readHexDigits(std::string_view text, std::size_t digits, std::uint32_t& value);
bool readHexDigits(std::u16string_view text, std::size_t digits, std::uint32_t& value);

enum class HexCase { kLower, kUpper };

// `value` in hex, at least `width` digits (zero-padded on the left).
std::string hexText(std::uint64_t value, int width = 0, HexCase letters = HexCase::kLower);
// The same, appended to `out`.
void appendHex(std::string& out, std::uint64_t value, int width = 0, HexCase letters = HexCase::kLower);

}  // namespace dm
