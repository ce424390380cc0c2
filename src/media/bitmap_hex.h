// Hex bitmaps: the text form in which the bitmap phase keeps a monochrome or
// grey picture (Middata/Bmp/bmp<n>.hex) before it codes the picture tables.
//
// A header line "WWWWHHHH\t::BBBB" (width, height, bits per pixel, upper-case
// hex), for 4 bits per pixel a palette line "::" with the 16 palette entries
// (blue, green, red, 0) as hex bytes, then one line per pixel row, top row
// first, each byte as two upper-case hex digits. For 1 bit per pixel a set
// bit is black.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace dm::bitmap {

namespace fs = std::filesystem;

struct HexBitmap {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bits = 0;                   // 1 or 4; other depths carry no rows
  std::string palette;            // 4 bits: 128 hex digits; else empty
  std::vector<std::string> rows;  // rowDigits() upper-case hex digits each
  // Hex digits of one row: ceil(width x bits / 8) x 2.
  std::size_t rowDigits() const {
    return static_cast<std::size_t>((std::uint64_t{width} * static_cast<unsigned>(bits) + 7) / 8 * 2);
  }
};

// The built-in default picture (58 x 51, 1 bit, a framed square with a
// diagonal cross) as the exact text of its hex bitmap file.
std::string_view defaultHexText();

enum class SourceResult {
  kOk,          // `out` holds the picture (rows only for 1 and 4 bits)
  kUnreadable,  // not a BMP this reader takes, truncated, vanished
  kTooLarge,    // rows above kMaxRowBytes
};

// Reads the BMP `source` into a hex bitmap. A 4-bit picture whose palette
// is not the grey ramp (entry i = 17 x i) is first turned into grey levels
// and written as a 4-bit BMP to `greyTarget` (skipped when it is empty).
// 1-bit pictures whose colour 1 is not black are inverted.
SourceResult readHexSource(const fs::path& source, const fs::path& greyTarget, HexBitmap& out);

// The same over a stream (the grey copy goes to `greyOut` when not null).
SourceResult readHexSource(std::istream& source, std::ostream* greyOut, HexBitmap& out);

// Writes the hex bitmap file text (CR LF line ends).
void writeHexBitmap(std::ostream& out, const HexBitmap& bitmap);

// Reads the pictures of a hex bitmap file or of a concatenation of them
// (Trash/bitmap.cln, where every line carries a "TT\t" prefix), one at a
// time: a header line, for 4 bits the palette line, then up to `height` rows.
// Lines before a header are skipped; a picture cut short keeps the rows it
// has; a row longer or shorter than rowDigits() is cut or padded with '0'.
class HexPictureReader {
 public:
  explicit HexPictureReader(std::istream& in) : in_(in) {}
  // The next picture; false at the end of the stream.
  bool next(HexBitmap& out);

 private:
  bool readLine(std::string& line);
  std::istream& in_;
  std::string pending_;
  bool hasPending_ = false;
};

// Parses a header line "WWWWHHHH\t::BBBB" (a "TT\t" prefix allowed).
bool parseHexHeader(std::string_view line, HexBitmap& out);

// Swaps the two hex digits of every byte: in a line without a TAB, and after
// the first TAB of a line with exactly one TAB; lines with two or more TABs
// (picture headers) stay as they are.
void swapNibbles(std::string& line);

// Swaps the nibbles of every line of a text file in place (LF line ends
// written). False when the file cannot be read or written.
bool swapNibblesInFile(const fs::path& path);

// Writes a 4-bit BMP of grey levels (palette entry i = 0x111111 x i);
// `pixels` holds one value 0-15 per pixel, top row first.
void writeGreyBmp(std::ostream& out, std::uint32_t width, std::uint32_t height,
                  const std::vector<std::uint8_t>& pixels);

}  // namespace dm::bitmap
