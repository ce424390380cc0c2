#include "readback/readback.h"

#include <array>

namespace dm::readback {

namespace {

// The 8-byte key of the header scrambling, as the file format fixes it.
constexpr std::array<std::uint8_t, 8> kKey = {0x19, 0x86, 0x04, 0x22, 0x03, 0x17, 0xEF, 0xAB};
// The nibble substitution, and its inverse.
constexpr std::array<std::uint8_t, 16> kSub = {14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7};

constexpr std::array<std::uint8_t, 16> inverse(const std::array<std::uint8_t, 16>& s) {
  std::array<std::uint8_t, 16> inv{};
  for (std::uint8_t i = 0; i < 16; ++i) inv[s[i]] = i;
  return inv;
}
constexpr std::array<std::uint8_t, 16> kUnsub = inverse(kSub);

std::uint8_t unscrambleByte(std::uint8_t b, std::uint8_t key) {
  b = static_cast<std::uint8_t>((b >> 2) | (b << 6));
  b = static_cast<std::uint8_t>(kUnsub[b & 0x0F] | (kUnsub[b >> 4] << 4));
  return b ^ key;
}

}  // namespace

std::string unscrambleHeader(std::string_view delivered) {
  std::string header(416, '\0');
  std::size_t keyPos = 0;
  for (std::size_t i = 0; i < 350 && i < delivered.size(); ++i) {
    if (i >= 322 && i < 336) continue;  // the marker; the key position does not advance
    header[i] = static_cast<char>(unscrambleByte(static_cast<std::uint8_t>(delivered[i]), kKey[keyPos]));
    keyPos = (keyPos + 1) % 8;
  }
  for (std::size_t i = 352; i < 416 && i < delivered.size(); ++i) header[i] = delivered[i];
  return header;
}

// The check value the scrambler stores at offset 350.
std::uint16_t expectedCheckValue(std::string_view delivered) {
  unsigned sum = 0;
  for (std::uint8_t k : kKey) sum += k;
  for (std::size_t i = 0; i < 8 && i < delivered.size(); ++i) sum += static_cast<std::uint8_t>(delivered[i]);
  return static_cast<std::uint16_t>(0xA5A5 - sum);
}

}  // namespace dm::readback
