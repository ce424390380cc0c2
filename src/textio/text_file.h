// TextFile: the narrow line file of the table and media writers.
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace dm {

// Bytes of the narrow line buffer; a line read holds at most one fewer.
inline constexpr std::size_t kNarrowLineBytes = 51200;

// Lines between two progress reports of readLine.
inline constexpr long kProgressEvery = 50000;

// Told how many lines of which file have been read.
using TextFileProgress = std::function<void(long lines, const std::string& path)>;

class TextFile {
 public:
  TextFile() = default;
  // Opens at once; see open().
  explicit TextFile(const std::string& path, const char* mode = "r") { open(path, mode); }
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;
  ~TextFile() { close(); }

  // Closes an open stream first. Opens `path` with `mode` ("r" when null);
  // an empty path opens a temporary file deleted on close, recorded as
  // "TEMPLATE_FILE". A stream that cannot be opened throws PassFailure with
  // "can't open file %s: <system's reason>\n" (or "can't open tmpfile\n").
  void open(const std::string& path, const char* mode = "r");

  // Reads one line of at most 51,199 bytes into `buffer` (or the object's
  // own line buffer when null), removes one trailing LF and counts it. In a
  // text mode (no 'b') a CR before that LF goes too, as a text-mode runtime
  // does. Every 50,000th line and at the end of the file tells the progress
  // callback, when one is set, the line count and the path. Returns null at
  // the end of the file (and frees the line buffer). A longer line comes
  // back in pieces, each counting as a line.
  char* readLine(char* buffer = nullptr);

  // Sets (or, with an empty one, clears) the progress callback of readLine.
  void onProgress(TextFileProgress progress) { progress_ = std::move(progress); }

  // Frees the buffers, zeroes the line count and rewinds the stream.
  void rewind();
  // Frees the buffers, zeroes the line count and closes the stream.
  void close();

  std::FILE* handle() const { return handle_; }
  const std::string& path() const { return path_; }
  const std::string& mode() const { return mode_; }
  long lineCount() const { return lineCount_; }
  bool isOpen() const { return handle_ != nullptr; }

 private:
  void progress() const;

  std::string path_;
  std::string mode_;
  std::FILE* handle_ = nullptr;
  std::unique_ptr<char[]> lineBuffer_;
  long lineCount_ = 0;
  TextFileProgress progress_;
};

}  // namespace dm
