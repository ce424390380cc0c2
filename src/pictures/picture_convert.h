// The picture library over in-memory streams: recognising a picture and
// converting it into a device picture file. CheckFileFormat and PictureZoom
// (picture_library.h) are these two on files.
#pragma once

#include <cstdint>
#include <istream>
#include <vector>

#include "pictures/picture_library.h"

namespace dm::picture {

// Result codes of the library functions.
inline constexpr int kUsable = 1;        // checkPicture: a usable picture
inline constexpr int kWritten = 0;       // convertPicture / PictureZoom: target written
inline constexpr int kNotPicture = 0;    // checkPicture: unknown, truncated or corrupt
inline constexpr int kUnreadable = -1;   // the source cannot be read or decoded
inline constexpr int kWriteFailed = -2;  // PictureZoom: the target cannot be written
inline constexpr int kBadRequest = -3;   // a width below 1

// Quality of the JPEG files written for colour pictures.
inline constexpr int kJpegQuality = 90;

// Recognises a BMP, JPEG or GIF by content and fills kind, width and height
// as CheckFileFormat does: the picture's own size for kinds 1 and 4, for the
// colour kinds its size once fitted into the device width (a JPEG taken as
// its EXIF orientation shows it). Reads only the headers and walks the data
// structure to see that it is complete; decodes nothing.
int checkPicture(std::istream& in, PictureInfo& info);

// Converts a picture into the bytes of a device picture file as PictureZoom
// does: 1- and 4-bit BMPs unchanged, every other picture decoded (a GIF by
// its first frame, a JPEG turned upright by its EXIF orientation), scaled by
// area averaging to fit `width` and, when `height` > 0, `height` (never
// enlarged), and encoded as a baseline JPEG.
// Fills kind, width, height and fileSize on success.
int convertPicture(std::istream& in, std::int32_t width, std::int32_t height,
                   std::vector<std::uint8_t>& out, PictureInfo& result);

}  // namespace dm::picture
