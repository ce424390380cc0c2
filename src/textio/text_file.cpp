#include "textio/text_file.h"

#include <cerrno>
#include <cstring>

#include "platform/failure.h"
#include "platform/platform.h"

namespace dm {

void TextFile::open(const std::string& path, const char* mode) {
  close();
  if (!mode) mode = "r";
  mode_ = mode;
  if (path.empty()) {
    path_ = "TEMPLATE_FILE";
    handle_ = std::tmpfile();
    if (!handle_) throw PassFailure("can't open tmpfile\n");
    return;
  }
  path_ = path;
  handle_ = std::fopen(path.c_str(), mode);
  if (!handle_) throw PassFailure(platform::withSystemError("can't open file " + path + "\n", errno));
}

void TextFile::progress() const {
  if (progress_) progress_(lineCount_, path_);
}

char* TextFile::readLine(char* buffer) {
  if (!handle_) return nullptr;
  if (!buffer) {
    if (!lineBuffer_) lineBuffer_ = std::make_unique<char[]>(kNarrowLineBytes);
    buffer = lineBuffer_.get();
  }
  if (!std::fgets(buffer, static_cast<int>(kNarrowLineBytes), handle_)) {
    progress();
    lineBuffer_.reset();
    return nullptr;
  }
  std::size_t n = std::strlen(buffer);
  if (n > 0 && buffer[n - 1] == '\n') {
    buffer[--n] = '\0';
    if (mode_.find('b') == std::string::npos && n > 0 && buffer[n - 1] == '\r') buffer[--n] = '\0';
  }
  ++lineCount_;
  if (lineCount_ % kProgressEvery == 0) progress();
  return buffer;
}

void TextFile::rewind() {
  lineBuffer_.reset();
  lineCount_ = 0;
  if (handle_) std::rewind(handle_);
}

void TextFile::close() {
  lineBuffer_.reset();
  lineCount_ = 0;
  if (handle_) {
    std::fclose(handle_);
    handle_ = nullptr;
  }
}

}  // namespace dm
