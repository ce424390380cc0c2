// The header scrambler: Drill.pre -> Drill.bin with the header bytes before
// the menu location scrambled by the key, the marker and the check value
// written into the header, and everything after it copied unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "container/container_format.h"

namespace dm::container {

namespace fs = std::filesystem;

using Key = std::array<std::uint8_t, kKeyBytes>;
using Header = std::array<std::uint8_t, kScrambledEnd>;

// The eight key bytes of a key text of 16 hex digits; nothing otherwise.
std::optional<Key> parseKey(std::string_view keyText);

// One byte: XOR with the key byte, substitute both nibbles, rotate left by 2.
std::uint8_t scrambleByte(std::uint8_t b, std::uint8_t keyByte);
// The inverse of scrambleByte.
std::uint8_t unscrambleByte(std::uint8_t b, std::uint8_t keyByte);

// The scrambled first 352 bytes of a file whose first bytes are `plain`
// (a shorter input leaves the missing bytes 0): bytes 0-321 and 336-349
// scrambled with the key running on across the gap, the marker at 322 and
// the check value (0xA5A5 minus the key bytes and the first eight scrambled
// bytes) at 350.
Header scrambleHeader(const std::uint8_t* plain, std::size_t size, const Key& key);

// The plain header of a scrambled one; the marker and check value positions
// come back as 0 (they are 0 in Drill.pre).
Header unscrambleHeader(const Header& scrambled, const Key& key);

// The check value that scrambleHeader stores for these scrambled bytes.
std::uint16_t headerCheckValue(const Header& scrambled, const Key& key);

// Scrambles the file `pre` into `bin`. Throws PassFailure naming the file and
// the system's reason when `pre` cannot be opened or `bin` cannot be created
// (nothing is written then) or written, and when the key is not 16 hex digits.
void scramble(const fs::path& pre, const fs::path& bin, std::string_view keyText);

}  // namespace dm::container
