#include "readback/container_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace dm::inspect {

namespace {

std::string errorText(int err) { return std::system_category().message(err); }

}  // namespace

std::unique_ptr<ContainerFile> ContainerFile::open(const std::string& path, std::string& problem) {
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    problem = "cannot read " + path + ": " + errorText(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    problem = "cannot read " + path + ": " + errorText(errno);
    ::close(fd);
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    problem = path + (S_ISDIR(st.st_mode) ? " is a directory, not a container" : " is not a regular file");
    ::close(fd);
    return nullptr;
  }
  const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
  if (size >= kMaxContainerFileBytes) {
    problem = path + " has " + std::to_string(size) +
              " bytes; a container is smaller than 4 GiB (4294967296 bytes)";
    ::close(fd);
    return nullptr;
  }
  // Only the open had to be non-blocking; reads of a regular file wait.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return std::unique_ptr<ContainerFile>(new ContainerFile(fd, size, path));
}

ContainerFile::~ContainerFile() { ::close(fd_); }

void ContainerFile::read(std::uint64_t at, std::size_t n, char* out) const {
  while (n > 0) {
    const ssize_t got = ::pread(fd_, out, n, static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw std::runtime_error("cannot read " + path_ + ": " + errorText(errno));
    if (got == 0) throw std::runtime_error(path_ + " became shorter while it was read");
    out += got;
    at += static_cast<std::uint64_t>(got);
    n -= static_cast<std::size_t>(got);
  }
}

}  // namespace dm::inspect
