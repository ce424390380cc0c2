// Opening and closing the files of a pass, and the block-buffered line
// reader and writer the passes use. A file that cannot be opened or written
// ends the pass with PassFailure.
#pragma once

#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "textio/wide_line.h"

namespace dm {

// Opens `path` for binary reading.
std::ifstream openPassInput(const std::filesystem::path& path);
// Creates (or truncates) `path` for binary writing.
std::ofstream openPassOutput(const std::filesystem::path& path);
// Flushes and closes `out`; a write error ends the pass.
void closePassOutput(std::ofstream& out, const std::filesystem::path& path);

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
