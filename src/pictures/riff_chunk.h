// The RIFF chunk walk that finds the "data" chunk of an RMP sound (MP3 audio
// in a RIFF wrapper). Shared by the sound file check and the sound phase,
// which unwraps RMP files with it; header-only so both can use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace dm {

// Walks the chunks of `bytes` from `offset`: each chunk is a 4-byte tag and a
// 32-bit little-endian length; a chunk tagged "data" ends the walk and its
// offset (of its 8-byte header) is the result; any other chunk is skipped by
// 8 + its length. A walk that leaves `bytes` finds nothing.
inline std::optional<std::size_t> findRiffDataChunk(std::string_view bytes, std::size_t offset) {
  std::uint64_t at = offset;
  while (at + 8 <= bytes.size()) {
    const char* chunk = bytes.data() + at;
    if (std::memcmp(chunk, "data", 4) == 0) return static_cast<std::size_t>(at);
    const auto* b = reinterpret_cast<const unsigned char*>(chunk + 4);
    const std::uint32_t length = std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
                                 std::uint32_t{b[3]} << 24;
    at += 8 + std::uint64_t{length};
  }
  return std::nullopt;
}

// Bytes of the RMP header before the first chunk ("RIFF", size, "RMP3").
inline constexpr std::size_t kRmpFirstChunk = 12;

}  // namespace dm
