// The picture library: recognises the user's BMP, JPEG and GIF pictures by
// content and converts them into the device's picture files.
#pragma once

#include <cstdint>
#include <filesystem>

namespace dm {

// The four 32-bit fields of a picture information record. Callers set
// them to -1, 0, 0, 0 (the default) before a call.
struct PictureInfo {
  std::int32_t kind = -1;    // 1 1-bit BMP, 4 4-bit BMP, 2 multi-frame GIF,
                             // 3 single-frame GIF, 5 JPEG, 6 other BMP
  std::int32_t width = 0;    // width on the device
  std::int32_t height = 0;   // height on the device
  std::int32_t fileSize = 0; // PictureZoom: bytes of the written file
};

// Returns 1 for a usable picture and fills kind, width and height; 0 or less
// for anything else (unknown format, truncated or corrupt data, unreadable).
int CheckFileFormat(const std::filesystem::path& path, PictureInfo& info);

// Converts `source` into the device picture file `target`, fitted within
// `width` (and `height` when above 0). Returns 0 or more when the target was
// written (and fills `result`), a negative value on failure (no target left).
int PictureZoom(const std::filesystem::path& source, const std::filesystem::path& target,
                std::int32_t width, std::int32_t height, PictureInfo& result);

}  // namespace dm
