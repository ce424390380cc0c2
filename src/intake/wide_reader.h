// A fast reader of whole lines from a UTF-16LE byte stream, reading in large
// blocks: the intake passes read files of many megabytes line by line.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <vector>

namespace dm {

class WideLineReader {
 public:
  explicit WideLineReader(std::istream& in) : in_(in), block_(kBlockBytes) {}

  // Reads the next line, its LF kept, however long it is. Returns false at
  // the end of the stream when nothing was read. An odd last byte is dropped.
  bool next(std::u16string& line) {
    line.clear();
    while (true) {
      if (pos_ + 1 >= size_ && !refill()) return !line.empty();
      const char* p = block_.data();
      while (pos_ + 1 < size_) {
        const char16_t unit = static_cast<char16_t>(static_cast<unsigned char>(p[pos_]) |
                                                    static_cast<unsigned char>(p[pos_ + 1]) << 8);
        pos_ += 2;
        line.push_back(unit);
        if (unit == u'\n') return true;
      }
    }
  }

 private:
  static constexpr std::size_t kBlockBytes = 1 << 16;

  // Moves an odd leftover byte to the front and reads more bytes after it.
  bool refill() {
    std::size_t keep = size_ - pos_;  // 0 or 1
    if (keep) block_[0] = block_[pos_];
    pos_ = 0;
    size_ = keep;
    if (!in_) return false;
    in_.read(block_.data() + keep, static_cast<std::streamsize>(kBlockBytes - keep));
    size_ += static_cast<std::size_t>(in_.gcount());
    return size_ >= 2;
  }

  std::istream& in_;
  std::vector<char> block_;
  std::size_t pos_ = 0;
  std::size_t size_ = 0;
};

}  // namespace dm
