// The small operating-system layer of drillmaker: where the work tree lives,
// the single-instance lock, free space, fresh GUIDs, the user's folders,
// file copy and deletion, system error texts and the build clock.
// Everything else in the project reaches the system only through here.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

namespace dm::platform {

namespace fs = std::filesystem;

// <work base>: $DRILLMAKER_WORK_BASE, else ${XDG_CACHE_HOME:-$HOME/.cache}/drillmaker.
// Created when missing (failures are left to the callers that use it).
fs::path workBase();

// An exclusive lock on a file held for the life of the object (flock).
class InstanceLock {
 public:
  InstanceLock() = default;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  ~InstanceLock();
  // True when this process now holds the lock; false when another holds it
  // or the lock file cannot be created.
  bool acquire(const fs::path& lockFile);
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Name of the lock file that stands for the named mutex "Velmor-User-Tools".
inline constexpr const char* kInstanceLockName = "Velmor-User-Tools.lock";

// Free bytes available to this user on the file system holding `path`
// (the nearest existing ancestor is measured); nullopt when unknown.
std::optional<std::uint64_t> freeBytes(const fs::path& path);

// 16 random bytes laid out as a GUID (Data1 little-endian 32-bit, Data2 and
// Data3 16-bit, then 8 bytes).
struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};
};
Guid newGuid();

// The user's documents folder (XDG documents directory, else $HOME) and
// desktop folder (XDG desktop directory, else $HOME/Desktop).
fs::path documentsFolder();
fs::path desktopFolder();

// The error of a path that names something other than a regular file (a
// FIFO, a device, a folder, a socket); its message is "Not a regular file".
std::error_code notRegularFileError();

// Opens `path` for reading without ever waiting: a FIFO put in the place of
// a file does not block for a writer, and whatever is not a regular file
// once opened is closed again and refused with notRegularFileError().
// Returns the descriptor (close-on-exec, reads block as usual) or -1 with
// the system error in `error`.
int openRegularFile(const fs::path& path, std::error_code& error);

// A binary input stream over a regular file opened by openRegularFile. When
// the file cannot be opened the stream starts failed and error() says why.
class InputFile : public std::istream {
 public:
  explicit InputFile(const fs::path& path);
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool is_open() const { return buffer_ != nullptr; }
  const std::error_code& error() const { return error_; }

 private:
  std::unique_ptr<std::streambuf> buffer_;
  std::error_code error_;
};

// Copies a regular file, replacing `to` when `overwrite` is set. Returns the
// system error (ENOSPC for a full disk); a source that is not a regular
// file is refused (openRegularFile) rather than waited for. The copy is written beside `to`
// and renamed over it, so a failed copy leaves an existing `to` intact.
std::error_code copyFile(const fs::path& from, const fs::path& to, bool overwrite);

// Deletes the regular files and symbolic links directly inside `folder`
// (never what a link points to), skipping names that begin with '.' and
// sub-folders. A folder that cannot be read is left alone.
void deleteFilesIn(const fs::path& folder);

// Deletes every file below `root`, recursing into real sub-folders only;
// symbolic links are removed as links and never followed. Folders remain.
void deleteFilesBelow(const fs::path& root);

// True when `path`, made absolute and normal, lies inside `root`.
bool isInside(const fs::path& path, const fs::path& root);

// The system's text for an errno value.
std::string systemErrorText(int err);

// `message` with ": " and systemErrorText(err) put before its trailing line
// end (when it has one): "can't write file X\n" -> "can't write file X: No
// space left on device\n". `message` unchanged when `err` is 0.
std::string withSystemError(std::string message, int err);

// The build time: $SOURCE_DATE_EPOCH when set and valid, else the clock;
// broken down in local time.
std::tm buildTime();

}  // namespace dm::platform
