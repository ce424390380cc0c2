// GIF reading on giflib: a structural walk that counts frames and checks
// every frame rectangle without decompressing, and a decoder of the first
// frame onto a white canvas of the logical screen size.
#pragma once

#include <cstdint>
#include <istream>

#include "pictures/picture_raster.h"

namespace dm::picture {

// Most frames a GIF may have; a file with more is refused.
inline constexpr int kMaxGifFrames = 4096;

struct GifInfo {
  std::int32_t width = 0;   // logical screen
  std::int32_t height = 0;
  int frames = 0;           // at most kMaxGifFrames
};

// Checks a GIF 87a or 89a stream: an allowed screen size, every frame
// non-empty, inside the screen and with a colour table, every data block
// present, and no more than kMaxGifFrames frames. The file may end without
// its trailer after a whole frame.
bool probeGif(std::istream& in, GifInfo& info);

// Decodes the first frame into `sink` as the logical screen, top row first:
// transparent pixels and the area outside the frame are white.
bool decodeGif(std::istream& in, RowSink& sink);

}  // namespace dm::picture
