// Explicit little- and big-endian integer writers for the device images, and
// the range checks that every stored offset, size and count passes through.
// Images are byte strings (std::string holding raw bytes).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dm {

inline void appendByte(std::string& out, std::uint32_t v) { out.push_back(static_cast<char>(v & 0xFF)); }

inline void appendLE16(std::string& out, std::uint32_t v) {
  appendByte(out, v);
  appendByte(out, v >> 8);
}

inline void appendLE32(std::string& out, std::uint32_t v) {
  appendLE16(out, v);
  appendLE16(out, v >> 16);
}

inline void appendBE16(std::string& out, std::uint32_t v) {
  appendByte(out, v >> 8);
  appendByte(out, v);
}

inline void appendBE24(std::string& out, std::uint32_t v) {
  appendByte(out, v >> 16);
  appendBE16(out, v);
}

inline void appendBE32(std::string& out, std::uint32_t v) {
  appendBE16(out, v >> 16);
  appendBE16(out, v);
}

inline void appendZeros(std::string& out, std::size_t n) { out.append(n, '\0'); }

// Overwrites 4 bytes at `at` with `v`, little-endian.
inline void storeLE32(std::string& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::uint32_t loadLE16(std::string_view in, std::size_t at) {
  return static_cast<std::uint8_t>(in[at]) | static_cast<std::uint32_t>(static_cast<std::uint8_t>(in[at + 1])) << 8;
}

inline std::uint32_t loadLE32(std::string_view in, std::size_t at) {
  return loadLE16(in, at) | loadLE16(in, at + 2) << 16;
}

// `value` as a 32-bit field; throws PassFailure naming `what` when it does
// not fit.
std::uint32_t checked32(std::uint64_t value, std::string_view what);
// The same for 16-bit fields.
std::uint16_t checked16(std::uint64_t value, std::string_view what);

}  // namespace dm
