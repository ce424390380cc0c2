#include "readback/container_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "platform/platform.h"

namespace dm::readback {

namespace {

namespace fs = std::filesystem;

std::string errorText(int err) { return std::system_category().message(err); }

}  // namespace

std::unique_ptr<ContainerFile> ContainerFile::open(const std::string& path, std::string& problem) {
  std::error_code error;
  const int fd = platform::openRegularFile(path, error);
  if (error == platform::notRegularFileError()) {
    std::error_code ec;
    problem = path + (fs::is_directory(path, ec) ? " is a directory, not a container" : " is not a regular file");
    return nullptr;
  }
  if (fd < 0) {
    problem = "cannot read " + path + ": " + error.message();
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    problem = "cannot read " + path + ": " + errorText(errno);
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

}  // namespace dm::readback
