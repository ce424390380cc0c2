#include "textio/wide_stream.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace dm {

namespace {

constexpr std::size_t kBlockBytes = 1 << 16;

// Appends `units` little-endian code units from `bytes`.
void appendUnits(std::u16string& line, const char* bytes, std::size_t units) {
  std::size_t old = line.size();
  line.resize(old + units);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(line.data() + old, bytes, 2 * units);
  } else {
    for (std::size_t k = 0; k < units; ++k) {
      line[old + k] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                            (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
    }
  }
}

}  // namespace

WideLineReader::WideLineReader(std::istream& in, std::size_t maxUnits)
    : in_(in), limit_(maxUnits > 1 ? maxUnits - 1 : 0), buffer_(kBlockBytes) {}

bool WideLineReader::fill() {
  // Keep an odd byte left over from the last block.
  std::size_t left = end_ - pos_;
  if (left > 0) buffer_[0] = buffer_[pos_];
  pos_ = 0;
  end_ = left;
  std::streamsize got = in_.rdbuf()->sgetn(buffer_.data() + end_, static_cast<std::streamsize>(buffer_.size() - end_));
  if (got <= 0) {
    in_.setstate(std::ios::eofbit);
    return false;
  }
  end_ += static_cast<std::size_t>(got);
  return true;
}

bool WideLineReader::read(std::u16string& line) {
  line.clear();
  if (limit_ == 0) return false;
  for (;;) {
    // Find the end of the line in the block: after an LF unit, at the
    // unit limit, or at the last whole unit.
    std::size_t room = limit_ - line.size();
    std::size_t units = (end_ - pos_) / 2;
    std::size_t take = std::min(units, room);
    bool ended = false;
    const char* p = buffer_.data() + pos_;
    // An LF byte found by memchr ends the line when it is the low byte of
    // a unit whose high byte is 0.
    for (std::size_t k = 0; k < take;) {
      const void* hit = std::memchr(p + 2 * k, '\n', 2 * (take - k));
      if (!hit) break;
      const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - p);
      if (at % 2 == 0 && p[at + 1] == 0) {
        take = at / 2 + 1;
        ended = true;
        break;
      }
      k = at / 2 + 1;
    }
    appendUnits(line, p, take);
    pos_ += 2 * take;
    if (ended || line.size() >= limit_) return true;
    if (!fill()) break;
  }
  // An odd trailing byte is dropped.
  pos_ = end_;
  return !line.empty();
}

void WideLineWriter::write(std::u16string_view text) {
  std::size_t old = buffer_.size();
  buffer_.resize(old + 2 * text.size());
  char* p = buffer_.data() + old;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, text.data(), 2 * text.size());
  } else {
    for (char16_t c : text) {
      *p++ = static_cast<char>(c & 0xFF);
      *p++ = static_cast<char>(c >> 8);
    }
  }
  if (buffer_.size() >= kBlockBytes) flush();
}

void WideLineWriter::flush() {
  if (buffer_.empty()) return;
  out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  buffer_.clear();
}

}  // namespace dm
