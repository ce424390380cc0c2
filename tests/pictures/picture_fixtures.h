// Small pictures made in the tests: BMPs of every depth written by hand,
// JPEGs written with libjpeg and GIFs written with giflib.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pictures/picture_raster.h"

namespace dm::test {

using Palette = std::vector<std::array<std::uint8_t, 3>>;  // red, green, blue

// A pixel function: the palette index for 8 bits or fewer, else 0xRRGGBB.
using PixelFn = std::function<std::uint32_t(int x, int y)>;

struct BmpOptions {
  bool topDown = false;
  bool coreHeader = false;   // the 12-byte header with 3-byte palette entries
  bool bitFields = false;    // 16 and 32 bits: explicit masks (5-6-5 for 16 bits)
};

// An uncompressed BMP. For 16 bits the colour is stored as 5-5-5 (5-6-5 with
// bitFields); 32 bits as 8-8-8 with the top byte 0xFF.
std::string makeBmp(int width, int height, int bits, const PixelFn& pixel,
                    const Palette& palette = {}, BmpOptions options = {});

// A run-length BMP (8 or 4 bits) holding `commands` as its pixel data.
std::string makeRleBmp(int width, int height, int bits, const Palette& palette,
                       const std::vector<std::uint8_t>& commands);

// A JPEG of RGB pixels (or grey when `grey`), baseline or progressive.
std::string makeJpeg(int width, int height, const PixelFn& rgb, bool progressive = false,
                     bool grey = false);

// A progressive JPEG with one scan per AC coefficient and component: 191
// scans, or 382 when every scan is refined once more.
std::string makeManyScanJpeg(int width, int height, bool refine);

// Inserts an EXIF segment holding orientation `orientation` after the start
// of a JPEG; `tiff` replaces the whole TIFF block when not empty.
std::string withExif(const std::string& jpeg, int orientation, const std::string& tiff = "");

struct GifFrame {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint8_t> indices;  // width * height, rows top first
  bool interlace = false;
  int transparent = -1;
};

// A GIF89a with a global palette (size a power of two) and the given frames.
std::string makeGif(int screenWidth, int screenHeight, const Palette& palette,
                    const std::vector<GifFrame>& frames);

// A frame filled by a pixel function.
GifFrame gifFrame(int left, int top, int width, int height, const PixelFn& index);

// Keeps the rows a decoder delivers.
class CollectSink : public picture::RowSink {
 public:
  bool begin(std::int32_t width, std::int32_t height) noexcept override {
    width_ = width;
    height_ = height;
    ++begins_;
    return true;
  }
  bool row(const std::uint8_t* rgb) noexcept override {
    pixels_.insert(pixels_.end(), rgb, rgb + static_cast<std::size_t>(width_) * 3);
    ++rows_;
    return true;
  }
  int width() const { return width_; }
  int height() const { return height_; }
  int rows() const { return rows_; }
  int begins() const { return begins_; }
  // The colour at (x, y) as 0xRRGGBB.
  std::uint32_t at(int x, int y) const {
    const std::size_t i = (static_cast<std::size_t>(y) * width_ + x) * 3;
    return (std::uint32_t{pixels_[i]} << 16) | (std::uint32_t{pixels_[i + 1]} << 8) | pixels_[i + 2];
  }

 private:
  int width_ = 0, height_ = 0, rows_ = 0, begins_ = 0;
  std::vector<std::uint8_t> pixels_;
};

// Little-endian stores into a byte string.
void put16(std::string& s, std::size_t at, std::uint16_t v);
void put32(std::string& s, std::size_t at, std::uint32_t v);

}  // namespace dm::test
