// JPEG reading and writing on libjpeg: a structural check that walks the
// markers of a file without decoding it, a decoder that hands RGB rows to a
// RowSink (scaling by the DCT where that keeps enough pixels), and the
// encoder of the device's picture files.
#pragma once

#include <cstdint>
#include <istream>
#include <vector>

#include "pictures/picture_raster.h"

namespace dm::picture {

// Most scans a progressive file may have; more is refused as hostile.
inline constexpr int kMaxJpegScans = 256;

struct JpegInfo {
  std::int32_t width = 0;   // as stored
  std::int32_t height = 0;
  bool progressive = false;
  // How the stored picture is turned for display (EXIF orientation 1-8;
  // 1, upright, when the file says nothing or nothing readable).
  int orientation = 1;

  // Orientations 5 to 8 turn the picture by a quarter: width and height swap.
  bool turnsSides() const { return orientation >= 5; }
};

// Checks that the stream is a complete 8-bit baseline, extended sequential
// or progressive JPEG of an allowed size: every marker segment from the
// start of image to the end of image is present and the entropy-coded data
// is walked (not decoded), and libjpeg accepts the header tables. Reads the
// orientation from an EXIF segment.
bool probeJpeg(std::istream& in, JpegInfo& info);

// Decodes into `sink`, top row first. When `minWidth` and `minHeight` are
// above 0 the decoder may scale down by the DCT (in eighths) as long as the
// rows it delivers stay at least that large. Grey, YCbCr, RGB, CMYK and YCCK
// pictures are delivered as RGB. False on any error or truncated data.
bool decodeJpeg(std::istream& in, std::int32_t minWidth, std::int32_t minHeight, RowSink& sink);

// Encodes an RGB picture (rows top first) as a baseline JPEG with standard
// Huffman tables at `quality`, carrying only the JFIF marker (no EXIF, ICC
// profile or comment).
bool encodeJpeg(const std::uint8_t* rgb, std::int32_t width, std::int32_t height, int quality,
                std::vector<std::uint8_t>& out);

}  // namespace dm::picture
