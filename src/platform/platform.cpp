#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ext/stdio_filebuf.h>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

namespace dm::platform {

namespace {

std::string envOr(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return (v && *v) ? std::string(v) : fallback;
}

fs::path homeDir() { return fs::path(envOr("HOME", "/tmp")); }

// Reads XDG_<KEY>_DIR from the environment or ~/.config/user-dirs.dirs.
std::optional<fs::path> xdgUserDir(const std::string& key) {
  std::string envName = "XDG_" + key + "_DIR";
  if (const char* v = std::getenv(envName.c_str()); v && *v) return fs::path(v);
  fs::path config = envOr("XDG_CONFIG_HOME", (homeDir() / ".config").string());
  std::ifstream in(config / "user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(envName + "=", 0) != 0) continue;
    std::string value = line.substr(envName.size() + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = homeDir().string() + value.substr(5);
    if (!value.empty() && value != homeDir().string() + "/") return fs::path(value);
  }
  return std::nullopt;
}

class PlatformErrorCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "drillmaker.platform"; }
  std::string message(int) const override { return "Not a regular file"; }
};

}  // namespace

std::error_code notRegularFileError() {
  static const PlatformErrorCategory category;
  return {1, category};
}

int openRegularFile(const fs::path& path, std::error_code& error) {
  error.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    error.assign(errno, std::generic_category());
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error.assign(errno, std::generic_category());
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    error = notRegularFileError();
    ::close(fd);
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

InputFile::InputFile(const fs::path& path) : std::istream(nullptr) {
  const int fd = openRegularFile(path, error_);
  if (fd >= 0) {
    // The buffer owns the descriptor and closes it.
    auto buffer = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(fd, std::ios::in | std::ios::binary);
    if (buffer->is_open()) {
      buffer_ = std::move(buffer);
    } else {
      error_.assign(EBADF, std::generic_category());
      ::close(fd);
    }
  }
  rdbuf(buffer_.get());
  if (!buffer_) setstate(std::ios::failbit);
}

InputFile::~InputFile() { rdbuf(nullptr); }

fs::path workBase() {
  fs::path base;
  if (const char* v = std::getenv("DRILLMAKER_WORK_BASE"); v && *v) {
    base = v;
  } else {
    base = fs::path(envOr("XDG_CACHE_HOME", (homeDir() / ".cache").string())) / "drillmaker";
  }
  std::error_code ec;
  fs::create_directories(base, ec);
  return base;
}

InstanceLock::~InstanceLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::acquire(const fs::path& lockFile) {
  if (fd_ >= 0) return true;
  openError_ = 0;
  int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    openError_ = errno;
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK) openError_ = errno;
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

std::optional<std::uint64_t> freeBytes(const fs::path& path) {
  fs::path p = path;
  std::error_code ec;
  while (!p.empty() && !fs::exists(p, ec)) {
    if (p == p.parent_path()) break;
    p = p.parent_path();
  }
  struct statvfs st {};
  if (p.empty() || ::statvfs(p.c_str(), &st) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
}

Guid newGuid() {
  std::random_device rd;
  std::array<std::uint8_t, 16> b{};
  for (std::size_t i = 0; i < b.size(); i += 4) {
    std::uint32_t r = rd();
    for (int k = 0; k < 4; ++k) b[i + k] = static_cast<std::uint8_t>(r >> (8 * k));
  }
  Guid g;
  g.data1 = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  g.data2 = static_cast<std::uint16_t>(b[4] | (b[5] << 8));
  g.data3 = static_cast<std::uint16_t>(b[6] | (b[7] << 8));
  for (int i = 0; i < 8; ++i) g.data4[i] = b[8 + i];
  return g;
}

fs::path documentsFolder() { return xdgUserDir("DOCUMENTS").value_or(homeDir()); }

fs::path desktopFolder() { return xdgUserDir("DESKTOP").value_or(homeDir() / "Desktop"); }

namespace {

// The temporary name a delivery may show under, for the interruption
// handler: a fixed buffer published by a lock-free flag, so the handler
// reads it without allocating or locking.
char pendingTemporary[PATH_MAX];
std::atomic<bool> pendingSet{false};

void setPendingTemporary(const fs::path& path) {
  pendingSet.store(false);
  const std::string& text = path.native();
  if (text.empty() || text.size() >= sizeof pendingTemporary) return;
  std::memcpy(pendingTemporary, text.c_str(), text.size() + 1);
  pendingSet.store(true);
}

// Copies the rest of `in` to `out`; returns 0 or the errno.
int copyContent(int in, int out) {
  std::vector<char> buf(1 << 20);
  for (;;) {
    ssize_t n = ::read(in, buf.data(), buf.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return 0;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = ::write(out, buf.data() + done, static_cast<std::size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      done += w;
    }
  }
}

// Gives the unnamed file `fd` the name `to`; EEXIST when `to` exists.
int linkUnnamed(int fd, const fs::path& to) {
  const std::string proc = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT || ::access("/proc/self/fd", F_OK) == 0) return errno;
  // Without /proc; this needs the right to read through any descriptor.
  return ::linkat(fd, "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

// Unnamed until complete (O_TMPFILE), then linked into place: an interrupted
// copy leaves nothing behind. An existing target is replaced through the
// short temporary name, which is renamed over it at once.
// Returns -1 when the file system has no unnamed files.
int copyUnnamed(int in, const fs::path& to, bool overwrite) {
  const fs::path folder = to.has_parent_path() ? to.parent_path() : fs::path(".");
  int out = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
  if (out < 0) return (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) ? -1 : errno;
  int err = copyContent(in, out);
  if (!err) {
    err = linkUnnamed(out, to);
    if (err == EEXIST && overwrite) {
      // Linked under a short name that nothing has yet (a file of that name
      // may be the user's own), then renamed over the target at once.
      std::string name = to.filename().string();
      fs::path temp;
      for (const char mark : {'~', '#', '%', '=', '+', '_'}) {
        if (name.back() == mark) continue;
        name.back() = mark;
        temp = to.parent_path() / name;
        err = linkUnnamed(out, temp);
        if (err != EEXIST) break;
      }
      if (!err) {
        setPendingTemporary(temp);
        if (::rename(temp.c_str(), to.c_str()) != 0) {
          err = errno;
          ::unlink(temp.c_str());
        }
        setPendingTemporary({});
      }
    }
  }
  if (::close(out) != 0 && !err) err = errno;
  return err;
}

// Written under the short temporary name and renamed over the target at
// the end, so a failed copy (a full disk) never destroys the file it was
// to replace; an interruption removes the temporary (removePendingDelivery)
// and a later copy to the same target replaces it.
int copyNamed(int in, const fs::path& to) {
  const fs::path temp = deliveryTemporary(to);
  setPendingTemporary(temp);
  ::unlink(temp.c_str());  // left by an interrupted earlier copy
  int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (out < 0) {
    int err = errno;
    setPendingTemporary({});
    return err;
  }
  int err = copyContent(in, out);
  if (::close(out) != 0 && !err) err = errno;
  if (!err && ::rename(temp.c_str(), to.c_str()) != 0) err = errno;
  if (err) ::unlink(temp.c_str());
  setPendingTemporary({});
  return err;
}

}  // namespace

fs::path deliveryTemporary(const fs::path& to) {
  std::string name = to.filename().string();
  if (name.empty()) return to;
  name.back() = name.back() == '~' ? '#' : '~';
  return to.parent_path() / name;
}

void removePendingDelivery() {
  if (pendingSet.load()) ::unlink(pendingTemporary);
}

namespace {

// Opens `from` (refusing what is not a regular file) and hands its
// descriptor to `copy`, which returns 0 or an errno.
template <typename Copy>
std::error_code copyOpened(const fs::path& from, const fs::path& to, bool overwrite, Copy copy) {
  std::error_code ec;
  if (!overwrite && fs::exists(fs::symlink_status(to, ec))) return std::make_error_code(std::errc::file_exists);
  std::error_code openError;
  const int in = openRegularFile(from, openError);
  if (in < 0) return openError;
  const int err = copy(in);
  ::close(in);
  if (err) return {err, std::generic_category()};
  return {};
}

}  // namespace

std::error_code copyFile(const fs::path& from, const fs::path& to, bool overwrite) {
  return copyOpened(from, to, overwrite, [&](int in) {
    const int err = copyUnnamed(in, to, overwrite);
    // Nothing was read yet when the file system has no unnamed files.
    return err < 0 ? copyNamed(in, to) : err;
  });
}

std::error_code copyThroughTemporary(const fs::path& from, const fs::path& to, bool overwrite) {
  return copyOpened(from, to, overwrite, [&](int in) { return copyNamed(in, to); });
}

namespace {

pthread_t interruptedThread;
std::atomic<int> interruption{0};
void (*interruptionCleanup)(int) = nullptr;

// Runs on the thread that started the handling, which is stopped where it
// was: it writes no more work files. Only async-signal-safe calls follow.
void endInterruptedRun(int) {
  const int signal = interruption.load();
  if (signal == 0) return;  // a SIGUSR1 from elsewhere
  removePendingDelivery();
  if (interruptionCleanup) interruptionCleanup(signal);
  ::_exit(128 + signal);
}

// Deletes what the open folder `dir` holds: files and links are unlinked,
// real sub-folders emptied and removed. Closes `dir`. Reads the folder again
// until a reading finds nothing left, as deleting while reading may skip
// names. No allocation, no locks: safe in a signal handler.
void sweepFolder(int dir, int depth) {
  alignas(8) char buf[4096];
  for (int round = 0; round < 64; ++round) {
    bool found = false;
    ::lseek(dir, 0, SEEK_SET);
    for (;;) {
      const ssize_t n = ::getdents64(dir, buf, sizeof buf);
      if (n <= 0) break;
      for (ssize_t at = 0; at < n;) {
        const auto* entry = reinterpret_cast<const struct dirent64*>(buf + at);
        at += entry->d_reclen;
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
          struct stat st;
          if (::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
          type = S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        found = true;
        if (type != DT_DIR) {
          ::unlinkat(dir, name, 0);
          continue;
        }
        if (depth >= 32) continue;
        const int sub = ::openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0) continue;
        sweepFolder(sub, depth + 1);
        ::unlinkat(dir, name, AT_REMOVEDIR);
      }
    }
    if (!found) break;
  }
  ::close(dir);
}

}  // namespace

void endOnInterruption(void (*cleanup)(int signal)) {
  interruptedThread = ::pthread_self();
  interruptionCleanup = cleanup;
  struct sigaction action {};
  action.sa_handler = endInterruptedRun;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  if (::sigaction(SIGUSR1, &action, nullptr) != 0) return;
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  if (::pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return;
  // The signal is taken here, in a thread of its own, and handed to the
  // thread that runs the passes, so that it is the one that stops.
  try {
    std::thread([set] {
      int signal = 0;
      while (::sigwait(&set, &signal) != 0) {
      }
      interruption.store(signal);
      ::pthread_kill(interruptedThread, SIGUSR1);
    }).detach();
  } catch (const std::system_error&) {
    // No thread to take them: the signals end the process as they would.
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  }
}

void removeFolderTree(const char* root, const char* aside) {
  // Only a real folder; a link standing in for it is left alone.
  const int dir = ::open(root, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir < 0) return;
  // Moved aside first: whatever still writes by path finds no folder there.
  const bool moved = ::rename(root, aside) == 0;
  sweepFolder(dir, 0);
  if (moved) ::rmdir(aside);
}

std::size_t maxNameLength(const fs::path& folder) {
  errno = 0;
  const long n = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  return n > 0 ? static_cast<std::size_t>(n) : 255;
}

void deleteFilesIn(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(folder, ec))) return;
  fs::directory_iterator it(folder, ec), end;
  if (ec) return;
  std::vector<fs::path> doomed;
  for (; it != end; it.increment(ec)) {
    if (ec) break;
    const fs::path& p = it->path();
    if (p.filename().string().rfind('.', 0) == 0) continue;
    fs::file_status st = it->symlink_status(ec);
    if (ec || fs::is_directory(st)) continue;
    doomed.push_back(p);
  }
  for (const auto& p : doomed) {
    fs::permissions(p, fs::perms::owner_write, fs::perm_options::add | fs::perm_options::nofollow, ec);
    fs::remove(p, ec);
  }
}

void deleteFilesBelow(const fs::path& root) {
  // An explicit stack: the depth is whatever the tree holds.
  std::vector<fs::path> pending{root};
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(root, ec))) return;
  while (!pending.empty()) {
    fs::path dir = std::move(pending.back());
    pending.pop_back();
    fs::directory_iterator it(dir, ec), end;
    if (ec) continue;
    std::vector<fs::path> doomed;
    for (; it != end; it.increment(ec)) {
      if (ec) break;
      fs::file_status st = it->symlink_status(ec);
      if (ec) continue;
      if (fs::is_directory(st)) {
        pending.push_back(it->path());
      } else {
        doomed.push_back(it->path());
      }
    }
    for (const auto& p : doomed) fs::remove(p, ec);
  }
}

bool isInside(const fs::path& path, const fs::path& root) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::absolute(path, ec), ec).lexically_normal();
  fs::path r = fs::weakly_canonical(fs::absolute(root, ec), ec).lexically_normal();
  auto pi = p.begin();
  for (auto ri = r.begin(); ri != r.end(); ++ri, ++pi) {
    if (ri->empty()) continue;  // trailing separator
    if (pi == p.end() || *pi != *ri) return false;
  }
  return true;
}

int folderWriteError(const fs::path& folder) {
  return ::access(folder.c_str(), W_OK | X_OK) == 0 ? 0 : errno;
}

std::string systemErrorText(int err) { return std::strerror(err); }

std::string withSystemError(std::string message, int err) {
  if (err == 0) return message;
  const std::size_t end = !message.empty() && message.back() == '\n' ? message.size() - 1 : message.size();
  message.insert(end, ": " + systemErrorText(err));
  return message;
}

std::tm buildTime() {
  std::time_t t = std::time(nullptr);
  if (const char* v = std::getenv("SOURCE_DATE_EPOCH"); v && *v) {
    char* end = nullptr;
    errno = 0;
    long long s = std::strtoll(v, &end, 10);
    if (errno == 0 && end && *end == '\0' && s >= 0) t = static_cast<std::time_t>(s);
  }
  std::tm out{};
  localtime_r(&t, &out);
  return out;
}

void keepFreedMemory() {
  // Threads share the one heap: their few large blocks make no contention.
  mallopt(M_ARENA_MAX, 1);
  // Blocks up to 32 MiB (the most the allocator allows here) come from the
  // heap; larger ones still get mappings of their own, which go back when
  // freed, so that they leave no holes in the heap.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, INT_MAX);
}

}  // namespace dm::platform
