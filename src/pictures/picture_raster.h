// Shared pieces of the picture readers and writers: the picture kinds that
// the library reports, the size limits every reader enforces before it
// allocates, and the row sink through which decoders hand over RGB rows.
#pragma once

#include <cstdint>

namespace dm::picture {

// Picture kinds reported in the first field of PictureInfo.
inline constexpr std::int32_t kKindMonoBmp = 1;       // 1 bit per pixel BMP
inline constexpr std::int32_t kKindAnimatedGif = 2;   // GIF of several frames
inline constexpr std::int32_t kKindGif = 3;           // GIF of one frame
inline constexpr std::int32_t kKindGreyBmp = 4;       // 4 bits per pixel BMP
inline constexpr std::int32_t kKindJpeg = 5;
inline constexpr std::int32_t kKindColourBmp = 6;     // BMP of any other depth

// Kinds that are delivered to the device as the source BMP itself.
inline bool isDirectBmpKind(std::int32_t kind) {
  return kind == kKindMonoBmp || kind == kKindGreyBmp;
}

// Largest side and largest pixel count of a picture that is read at all.
inline constexpr std::int64_t kMaxSide = 32764;
inline constexpr std::int64_t kMaxPixels = 64LL * 1024 * 1024;

// The width that colour pictures are fitted into when registered.
inline constexpr std::int32_t kDeviceWidth = 800;

// True when a picture of this size may be decoded.
inline bool sizeAllowed(std::int64_t width, std::int64_t height) {
  return width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide &&
         width * height <= kMaxPixels;
}

// Receives a decoded picture as 8-bit RGB rows, top row first. begin() comes
// once with the size of the rows that follow; then exactly `height` calls of
// row(). Either returns false to stop the decoder (for instance when memory
// runs out); neither throws.
class RowSink {
 public:
  virtual ~RowSink() = default;
  virtual bool begin(std::int32_t width, std::int32_t height) noexcept = 0;
  virtual bool row(const std::uint8_t* rgb) noexcept = 0;
};

}  // namespace dm::picture
