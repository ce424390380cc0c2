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
  // or the lock file cannot be created (see openError).
  bool acquire(const fs::path& lockFile);
  bool held() const { return fd_ >= 0; }
  // After a refused acquire: 0 when another process holds the lock, else the
  // errno of opening or locking the lock file (EACCES, ENOTDIR, ENOENT, ...).
  int openError() const { return openError_; }

 private:
  int fd_ = -1;
  int openError_ = 0;
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
// file is refused (openRegularFile) rather than waited for. `to` appears
// only complete and a failed copy leaves an existing `to` intact: the copy
// is written as an unnamed file in the target's folder and linked into
// place (an existing `to` through a short name that no file has, so no
// other file is ever touched); where the file system has no unnamed files
// it is written under deliveryTemporary(to) and renamed. No name it uses
// is longer than `to`'s.
std::error_code copyFile(const fs::path& from, const fs::path& to, bool overwrite);

// copyFile's way on a file system without unnamed files: the copy is
// written under deliveryTemporary(to) (an earlier leftover there is
// replaced) and renamed over `to`; a failed copy removes it.
std::error_code copyThroughTemporary(const fs::path& from, const fs::path& to, bool overwrite);

// The temporary name beside `to` that copyFile may use: `to` with its last
// character replaced by '~' ('#' when it is one), so it is never longer.
fs::path deliveryTemporary(const fs::path& to);

// Removes the temporary name of a copy in progress, if any; the copy itself
// is abandoned. Async-signal-safe.
void removePendingDelivery();

// Ends the process on SIGINT or SIGTERM. Both are blocked in the calling
// thread (and so in every thread it starts later) and taken by a thread of
// their own, which stops the calling thread with SIGUSR1; its handler, on
// the calling thread, removes a pending copy's temporary, runs `cleanup`
// with the signal number and ends the process with status 128 + that
// number (130, 143). `cleanup` runs in a signal handler: async-signal-safe
// calls only. Call once, from the thread that runs the passes, before any
// other thread is started.
void endOnInterruption(void (*cleanup)(int signal));

// Deletes the folder `root` with everything below it, never following a
// symbolic link (a link is removed as a link). It is first renamed to
// `aside` (in the same folder), so nothing writing by path can put new
// files into it; where that fails it is emptied in place. Uses only
// async-signal-safe calls, no allocation: for the interruption handler.
void removeFolderTree(const char* root, const char* aside);

// The longest file name the folder takes, in bytes (NAME_MAX; 255 when the
// system does not say).
std::size_t maxNameLength(const fs::path& folder);

// Deletes the regular files and symbolic links directly inside `folder`
// (never what a link points to), skipping names that begin with '.' and
// sub-folders. A folder that cannot be read is left alone.
void deleteFilesIn(const fs::path& folder);

// Deletes every file below `root`, recursing into real sub-folders only;
// symbolic links are removed as links and never followed. Folders remain.
void deleteFilesBelow(const fs::path& root);

// True when `path`, made absolute and normal, lies inside `root`.
bool isInside(const fs::path& path, const fs::path& root);

// 0 when this process may create files in the folder `folder`, else the
// errno that says why not (EACCES, EROFS, ENOTDIR, ENOENT, ...).
int folderWriteError(const fs::path& folder);

// The system's text for an errno value.
std::string systemErrorText(int err);

// `message` with ": " and systemErrorText(err) put before its trailing line
// end (when it has one): "can't write file X\n" -> "can't write file X: No
// space left on device\n". `message` unchanged when `err` is 0.
std::string withSystemError(std::string message, int err);

// The build time: $SOURCE_DATE_EPOCH when set and valid, else the clock;
// broken down in local time.
std::tm buildTime();

// For a process that builds one drill and ends: the build allocates and
// frees arrays of tens of megabytes again and again, and the allocator
// would hand each back to the system and have the next one's pages faulted
// in and cleared anew. After this call freed memory is kept for reuse (one
// heap for all threads, blocks up to 32 MiB taken from it, nothing of it
// given back before the end). Call it before any thread starts; it does not
// fail.
void keepFreedMemory();

}  // namespace dm::platform
