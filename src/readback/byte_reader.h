// Bounds-checked little-endian reads over a byte string.
#pragma once

#include <cstdint>
#include <string_view>

namespace dm::readback {

class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}
  std::size_t size() const { return data_.size(); }
  bool has(std::size_t offset, std::size_t n) const { return offset <= data_.size() && n <= data_.size() - offset; }
  // Zero when out of range; callers check has() where it matters.
  std::uint8_t u8(std::size_t at) const { return has(at, 1) ? static_cast<std::uint8_t>(data_[at]) : 0; }
  std::uint16_t u16(std::size_t at) const { return static_cast<std::uint16_t>(u8(at) | (u8(at + 1) << 8)); }
  std::uint32_t u32(std::size_t at) const {
    return static_cast<std::uint32_t>(u16(at)) | (static_cast<std::uint32_t>(u16(at + 2)) << 16);
  }
  std::string_view slice(std::size_t at, std::size_t n) const {
    return has(at, n) ? data_.substr(at, n) : std::string_view{};
  }
  bool allZero(std::size_t at, std::size_t n) const {
    if (!has(at, n)) return false;
    for (std::size_t i = 0; i < n; ++i)
      if (data_[at + i] != 0) return false;
    return true;
  }

 private:
  std::string_view data_;
};

}  // namespace dm::readback
