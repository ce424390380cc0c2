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

// A private scratch folder for this fuzzing process, removed at exit.
inline const std::filesystem::path& scratch() {
  // Never destroyed, so the exit handler can still use it.
  static const std::filesystem::path* const dir = [] {
    auto* p = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                        ("dm-fuzz-" + std::to_string(::getpid())));
    std::filesystem::create_directories(*p);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(scratch(), ec);
    });
    return p;
  }();
  return *dir;
}

inline std::filesystem::path writeScratch(const std::string& name, std::string_view bytes) {
  std::filesystem::path p = scratch() / name;
  std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return p;
}

// A 2 x 2 one-bit BMP.
inline std::string tinyBmp() {
  return std::string("BM\x46\0\0\0\0\0\0\0\x3e\0\0\0\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x01\0", 30) +
         std::string(24, '\0') + std::string("\xff\xff\xff\0\0\0\0\0", 8) + std::string("\x80\0\0\0\x40\0\0\0", 8);
}

// Three silent MPEG frames.
inline std::string tinyMp3() {
  std::string mp3;
  for (int i = 0; i < 3; ++i) mp3 += std::string("\xFF\xFB\x90\x44", 4) + std::string(413, '\0');
  return mp3;
}

// The bytes as UTF-16LE code units (an odd last byte is dropped).
inline std::u16string asUtf16(const std::uint8_t* data, std::size_t size) {
  std::u16string out;
  for (std::size_t i = 0; i + 1 < size; i += 2) out.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  return out;
}

}  // namespace dm::fuzz
