// A buffered, bounds-aware byte reader over an input stream, used by the
// readers that walk a picture file byte by byte (BMP run-length data and the
// JPEG marker scan).
#pragma once

#include <cstdint>
#include <istream>
#include <vector>

namespace dm::picture {

// Size of a seekable stream in bytes, or -1 when it cannot be told. Leaves
// the read position at the start.
std::int64_t streamSize(std::istream& in);

// Reads a byte range of a stream through a buffer. All reads past the end
// of the range (or of the stream) report end instead.
class ByteReader {
 public:
  // Reads from `start` up to `limit` (exclusive) of `in`.
  ByteReader(std::istream& in, std::int64_t start, std::int64_t limit);

  // The next byte (0-255), or -1 at the end.
  int next() {
    if (pos_ == end_ && !refill()) return -1;
    return buffer_[pos_++];
  }
  // Skips `count` bytes; false when the end comes first.
  bool skip(std::int64_t count);
  // Reads `count` bytes into `out`; false when the end comes first.
  bool read(std::uint8_t* out, std::size_t count);
  // Offset in the stream of the byte that next() returns next.
  std::int64_t offset() const { return base_ + static_cast<std::int64_t>(pos_); }

 private:
  bool refill();

  std::istream& in_;
  std::int64_t base_;   // stream offset of buffer_[0]
  std::int64_t limit_;
  std::vector<std::uint8_t> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

// Little-endian integers from a byte array.
inline std::uint16_t le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace dm::picture
