// The container checksum and the trailer: both are sums over the bytes of
// Drill.pre, accumulated while the bytes are written so that the file is
// read only once.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

namespace dm::container {

namespace fs = std::filesystem;

// The 32-bit sum of the file as little-endian words; the 0-3 tail bytes
// replace the low bytes of the last full word (zeros when there is none),
// which is then added once more.
class Checksum {
 public:
  void update(const std::uint8_t* data, std::size_t size);
  std::uint32_t value() const;

 private:
  std::uint32_t sum_ = 0;
  std::array<std::uint8_t, 4> last_{};     // the last full word
  std::array<std::uint8_t, 4> pending_{};  // bytes of the word being filled
  std::size_t pendingSize_ = 0;
};

// The sums of the trailer: every byte, and the bytes at offsets that are
// multiples of 0x10000, 0x20000 and 0x30000.
class TrailerSums {
 public:
  void update(const std::uint8_t* data, std::size_t size);
  std::uint64_t size() const { return offset_; }

  // The 32 trailer bytes for these sums and the build date `when`.
  std::string trailer(const std::tm& when) const;

 private:
  std::uint64_t offset_ = 0;
  std::uint32_t all_ = 0, step1_ = 0, step2_ = 0, step3_ = 0;
};

// Reads `path` and appends its trailer dated `when`. Nothing happens when the
// file cannot be opened.
void appendTrailer(const fs::path& path, const std::tm& when);

}  // namespace dm::container
