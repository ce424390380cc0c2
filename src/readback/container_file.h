// A delivered container opened for inspection from a path.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "readback/readback.h"

namespace dm::readback {

// Files of this size or more are no container.
inline constexpr std::uint64_t kMaxContainerFileBytes = 4294967296ULL;  // 4 GiB

class ContainerFile : public ContainerSource {
 public:
  // Opens `path` for reading without blocking (a FIFO never waits for a
  // writer). Returns null and sets `problem` to a sentence naming the path
  // when the file cannot be opened, is not a regular file or has
  // kMaxContainerFileBytes or more.
  static std::unique_ptr<ContainerFile> open(const std::string& path, std::string& problem);
  ~ContainerFile() override;
  ContainerFile(const ContainerFile&) = delete;
  ContainerFile& operator=(const ContainerFile&) = delete;

  // The size the file had when it was opened.
  std::uint64_t size() const override { return size_; }
  // Throws std::runtime_error on a read error or when the file has become
  // shorter.
  void read(std::uint64_t at, std::size_t n, char* out) const override;

 private:
  ContainerFile(int fd, std::uint64_t size, std::string path) : fd_(fd), size_(size), path_(std::move(path)) {}
  int fd_;
  std::uint64_t size_;
  std::string path_;
};

}  // namespace dm::readback
