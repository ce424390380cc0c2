// Small helpers shared by the fuzz targets.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace dm::fuzz {

// A private scratch folder for this fuzzing process.
inline const std::filesystem::path& scratch() {
  static const std::filesystem::path dir = [] {
    std::filesystem::path p = std::filesystem::temp_directory_path() / ("dm-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    return p;
  }();
  return dir;
}

inline std::filesystem::path writeScratch(const std::string& name, std::string_view bytes) {
  std::filesystem::path p = scratch() / name;
  std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return p;
}

// The bytes as UTF-16LE code units (an odd last byte is dropped).
inline std::u16string asUtf16(const std::uint8_t* data, std::size_t size) {
  std::u16string out;
  for (std::size_t i = 0; i + 1 < size; i += 2) out.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  return out;
}

}  // namespace dm::fuzz
