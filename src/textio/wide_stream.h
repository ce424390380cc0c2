// Block-buffered reading and writing of UTF-16LE lines: the passes read and
// write files of many megabytes line by line.
#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "textio/wide_line.h"

namespace dm {

// A line length for readers that take every line whole, however long.
inline constexpr std::size_t kWholeLines = static_cast<std::size_t>(-1);

// Reads UTF-16LE lines from a stream in large blocks; each line holds at
// most maxUnits - 1 code units and keeps its LF (as readWideLine does). The
// stream is read from its current position; do not use it otherwise while
// the reader lives.
class WideLineReader {
 public:
  explicit WideLineReader(std::istream& in, std::size_t maxUnits = kWideLineUnits);
  // False at the end when nothing was read.
  bool read(std::u16string& line);

 private:
  bool fill();

  std::istream& in_;
  std::size_t limit_;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

// Writes UTF-16LE text to a stream through a block buffer.
class WideLineWriter {
 public:
  explicit WideLineWriter(std::ostream& out) : out_(out) {}
  WideLineWriter(const WideLineWriter&) = delete;
  WideLineWriter& operator=(const WideLineWriter&) = delete;
  ~WideLineWriter() { flush(); }

  void write(std::u16string_view text);
  void flush();

 private:
  std::ostream& out_;
  std::string buffer_;
};

}  // namespace dm
