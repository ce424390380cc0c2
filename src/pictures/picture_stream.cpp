#include "pictures/picture_stream.h"

#include <algorithm>

namespace dm::picture {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

std::int64_t streamSize(std::istream& in) {
  in.clear();
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.clear();
  in.seekg(0, std::ios::beg);
  if (size < 0 || !in) return -1;
  return static_cast<std::int64_t>(size);
}

ByteReader::ByteReader(std::istream& in, std::int64_t start, std::int64_t limit)
    : in_(in), base_(start), limit_(limit) {}

bool ByteReader::refill() {
  base_ += static_cast<std::int64_t>(end_);
  pos_ = end_ = 0;
  if (base_ >= limit_) return false;
  const std::int64_t want =
      std::min<std::int64_t>(static_cast<std::int64_t>(kBufferSize), limit_ - base_);
  if (buffer_.size() < kBufferSize) buffer_.resize(kBufferSize);
  in_.clear();
  in_.seekg(base_, std::ios::beg);
  if (!in_) return false;
  in_.read(reinterpret_cast<char*>(buffer_.data()), want);
  end_ = static_cast<std::size_t>(std::max<std::streamsize>(in_.gcount(), 0));
  if (end_ == 0) {
    limit_ = base_;  // the stream ended before the range did
    return false;
  }
  return true;
}

bool ByteReader::skip(std::int64_t count) {
  if (count < 0) return false;
  if (count <= static_cast<std::int64_t>(end_ - pos_)) {
    pos_ += static_cast<std::size_t>(count);
    return true;
  }
  // Jump past the buffer; the next read seeks there.
  base_ = offset() + count;
  pos_ = end_ = 0;
  return base_ <= limit_;
}

bool ByteReader::read(std::uint8_t* out, std::size_t count) {
  while (count > 0) {
    if (pos_ == end_ && !refill()) return false;
    const std::size_t step = std::min(count, end_ - pos_);
    std::copy_n(buffer_.data() + pos_, step, out);
    out += step;
    pos_ += step;
    count -= step;
  }
  return true;
}

}  // namespace dm::picture
