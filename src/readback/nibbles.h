// Nibble streams of the container's coded texts and picture tables, and the
// canonical nibble code both use to number their items.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace dm::readback {

// A stream of nibbles over bytes, high nibble first, from nibble `start` up
// to nibble `end` (the end of the bytes at most).
class Nibbles {
 public:
  Nibbles(std::string_view bytes, std::size_t start = 0, std::size_t end = std::string_view::npos)
      : bytes_(bytes), pos_(start), end_(std::min(end, bytes.size() * 2)) {}
  bool atEnd() const { return pos_ >= end_; }
  std::size_t pos() const { return pos_; }
  // The next nibble, or -1 at the end.
  int peek() const {
    if (atEnd()) return -1;
    const auto b = static_cast<std::uint8_t>(bytes_[pos_ / 2]);
    return pos_ % 2 ? (b & 0x0F) : (b >> 4);
  }
  int next() {
    int v = peek();
    if (v >= 0) ++pos_;
    return v;
  }
  // True when every nibble left is F, the padding of a coded text.
  bool restIsPadding() const {
    for (std::size_t p = pos_; p < end_; ++p) {
      const auto b = static_cast<std::uint8_t>(bytes_[p / 2]);
      if ((p % 2 ? (b & 0x0F) : (b >> 4)) != 0xF) return false;
    }
    return true;
  }

 private:
  std::string_view bytes_;
  std::size_t pos_;
  std::size_t end_;
};

// A canonical nibble code: per code length the cumulative count of first
// nibbles, and the offset that turns a code of that length into an item
// number.
struct NibbleCode {
  std::vector<std::uint32_t> cumulative;
  std::vector<std::uint32_t> offsets;

  // The item number of the next code, or nullopt when none starts here.
  std::optional<std::uint32_t> read(Nibbles& in) const {
    const int first = in.peek();
    if (first < 0) return std::nullopt;
    for (std::size_t len = 0; len < cumulative.size() && len < offsets.size(); ++len) {
      if (static_cast<std::uint32_t>(first) >= cumulative[len]) continue;
      std::uint64_t value = 0;
      for (std::size_t k = 0; k <= len; ++k) {
        const int v = in.next();
        if (v < 0) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(v);
      }
      if (value < offsets[len]) return std::nullopt;
      return static_cast<std::uint32_t>(value - offsets[len]);
    }
    return std::nullopt;
  }
};

}  // namespace dm::readback
