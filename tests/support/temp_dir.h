// A fresh temporary folder per test, removed afterwards, and small file helpers.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dm::test {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const fs::path& path() const { return path_; }
  fs::path operator/(const fs::path& rel) const { return path_ / rel; }

 private:
  fs::path path_;
};

// Writes `bytes` to `path`, creating parent folders.
void writeFile(const fs::path& path, std::string_view bytes);
// The whole content of a file ("" when it cannot be read).
std::string readFile(const fs::path& path);
// UTF-16LE bytes of a UTF-8 text (no mark).
std::string utf16le(std::string_view utf8);

}  // namespace dm::test
