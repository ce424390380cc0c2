// Reader of Windows and OS/2 bitmap files (BMP): 1, 4, 8, 16, 24 and 32 bits
// per pixel, uncompressed, bit-field and run-length (RLE4, RLE8) variants.
// Every size taken from a header is checked against the file before use.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <vector>

#include "pictures/picture_raster.h"

namespace dm::picture {

// Compression codes of the info header.
inline constexpr std::uint32_t kBmpRgb = 0;
inline constexpr std::uint32_t kBmpRle8 = 1;
inline constexpr std::uint32_t kBmpRle4 = 2;
inline constexpr std::uint32_t kBmpBitFields = 3;
inline constexpr std::uint32_t kBmpAlphaBitFields = 6;

struct BmpHeader {
  std::int32_t width = 0;
  std::int32_t height = 0;      // always positive; see topDown
  bool topDown = false;         // rows stored top row first
  std::uint16_t bitsPerPixel = 0;
  std::uint32_t compression = kBmpRgb;
  std::int64_t pixelOffset = 0; // start of the pixel data
  std::int64_t dataEnd = 0;     // end of the pixel data (at most the file size)
  std::array<std::uint32_t, 3> masks{};  // red, green, blue (16 and 32 bits)
  // Palette as stored: blue, green, red, reserved. Only for 8 bits or fewer;
  // pixel values beyond it show as black.
  std::vector<std::array<std::uint8_t, 4>> palette;

  bool runLength() const { return compression == kBmpRle8 || compression == kBmpRle4; }
  // Bytes of one stored row of uncompressed data, padding included.
  std::int64_t stride() const { return (static_cast<std::int64_t>(width) * bitsPerPixel + 31) / 32 * 4; }
};

// Reads and checks the file and info headers and the palette. False when
// the stream is not a BMP this reader handles, or the headers contradict
// themselves or the stream's size (sizes within the picture limits).
bool readBmpHeader(std::istream& in, BmpHeader& header);

// Checks that the pixel data is all there without decoding it: the size of
// uncompressed data, a walk over run-length commands.
bool checkBmpData(std::istream& in, const BmpHeader& header);

// Decodes the picture into `sink` as RGB rows, top row first. The reserved
// or alpha byte of 32-bit pixels is ignored.
bool decodeBmp(std::istream& in, const BmpHeader& header, RowSink& sink);

// For 8 bits per pixel or fewer: one palette index per pixel, rows top
// first. Pixels that run-length data leaves out are 0.
bool decodeBmpIndices(std::istream& in, const BmpHeader& header,
                      std::vector<std::uint8_t>& indices);

}  // namespace dm::picture
