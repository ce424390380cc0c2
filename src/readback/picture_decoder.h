// Decoding of the pictures a container carries back to pixels: the
// monochrome and grey picture tables of Font.bin (symbol-coded, run-length
// and raw rows, the default picture among them) and the colour pictures of
// ExtBmp.bin (device JPEG files, or a 1- or 4-bit BMP for a cover picture).
// Written from the file format alone, like the rest of the read-back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm::readback {

// Pictures larger than this many pixels are not decoded (no device picture
// comes near it; a damaged size field could ask for gigabytes).
inline constexpr std::uint64_t kMaxDecodedPixels = std::uint64_t{64} << 20;

// A decoded picture: one grey byte per pixel (channels 1) or red, green and
// blue (channels 3), top row first.
struct Raster {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int channels = 1;
  std::vector<std::uint8_t> pixels;
};

// One line of the picture information table of Font.bin.
struct PictureInfoLine {
  std::uint8_t kind = 0xF;    // 9 symbol-coded 1 bit, 5 symbol-coded, 6 run-length, 4/2 raw, F unused
  std::uint32_t height = 0;
  std::uint32_t width = 0;
  std::uint32_t index = 0;    // the picture's place in its table
};

// The picture tables of one container. Holds views of the images: they must
// outlive it.
class PictureTables {
 public:
  // `fontImage` and `extBmpImage` are the component images (either may be
  // empty when the container does not list it).
  PictureTables(std::string_view fontImage, std::string_view extBmpImage);

  // Decodes the picture a text code names: four hex digits for a monochrome
  // or grey picture, "02" and four digits for a colour one. Returns nothing
  // and sets `problem` when no picture has the id or its data do not decode.
  std::optional<Raster> decode(std::string_view id, std::string& problem) const;
  // Picture `number` of the monochrome and grey tables.
  std::optional<Raster> decodeMonochrome(std::uint32_t number, std::string& problem) const;
  // Picture `number` of the colour pictures (0 is the cover picture).
  std::optional<Raster> decodeColour(std::uint32_t number, std::string& problem) const;

  // Whether the colour pictures hold `number`.
  bool hasColour(std::uint32_t number) const;
  // The numbers of the picture information table (unused ones included).
  std::uint32_t monochromeCount() const { return infoCount_; }
  // The information line of picture `number`; kind F when there is none.
  PictureInfoLine infoLine(std::uint32_t number) const;

 private:
  struct ColourEntry {
    std::uint32_t number = 0;
    std::uint32_t offset = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t size = 0;
  };
  std::optional<ColourEntry> colourEntry(std::uint32_t number) const;
  std::uint32_t slot(int group, int member) const;

  std::string_view font2_;    // Font.bin after its 29-byte prefix
  std::uint32_t infoOffset_ = 0;
  std::uint32_t infoCount_ = 0;
  std::string_view extData_;  // the data member of ExtBmp.bin
  std::vector<ColourEntry> colours_;
};

// Decodes a JPEG file into RGB pixels; nothing (with `problem`) when it is
// damaged or larger than kMaxDecodedPixels.
std::optional<Raster> decodeJpeg(std::string_view file, std::string& problem);

// Decodes an uncompressed BMP of 1, 4, 8 or 24 bits per pixel.
std::optional<Raster> decodeSimpleBmp(std::string_view file, std::string& problem);

// The PNG file of `raster` (8-bit grey or RGB). Empty when libpng fails.
std::string encodePng(const Raster& raster);

}  // namespace dm::readback
