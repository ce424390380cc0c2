#include "media/bitmap_hex.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <new>
#include <sstream>

#include "media/bitmap_tables.h"
#include "pictures/bmp_reader.h"
#include "pictures/picture_raster.h"
#include "platform/platform.h"
#include "textio/hex.h"
#include "textio/format.h"

namespace dm::bitmap {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string buildDefaultText() {
  static constexpr const char* kCross[15] = {
      "100007001C000200", "1000038038000200", "100001C070000200", "100000E0E0000200",
      "10000071C0000200", "1000003B80000200", "1000001F00000200", "1000000E00000200",
      "1000001F00000200", "1000003B80000200", "10000071C0000200", "100000E0E0000200",
      "100001C070000200", "1000038038000200", "100007001C000200"};
  std::string text = "003A0033\t::0001\n";
  auto rows = [&](const char* row, int count) {
    for (int i = 0; i < count; ++i) text.append(row).push_back('\n');
  };
  rows("0000000000000000", 3);
  rows("1FFFFFFFFFFFFE00", 1);
  rows("1000000000000200", 14);
  for (const char* row : kCross) rows(row, 1);
  rows("1000000000000200", 14);
  rows("1FFFFFFFFFFFFE00", 1);
  rows("0000000000000000", 3);
  return text;
}

std::string_view withoutPrefix(std::string_view line) {
  if (line.substr(0, 3) == "TT\t") line.remove_prefix(3);
  return line;
}

bool isGreyRamp(const picture::BmpHeader& h) {
  if (h.palette.size() < 16) return false;
  for (std::size_t i = 0; i < 16; ++i) {
    const auto& e = h.palette[i];
    const std::uint8_t level = static_cast<std::uint8_t>(17 * i);
    if (e[0] != level || e[1] != level || e[2] != level) return false;
  }
  return true;
}

// Collects the grey level ((r + g + b) / 3) >> 4 of every pixel.
class GreySink : public picture::RowSink {
 public:
  explicit GreySink(std::vector<std::uint8_t>& pixels) : pixels_(pixels) {}
  bool begin(std::int32_t width, std::int32_t) noexcept override {
    width_ = static_cast<std::size_t>(width);
    return true;
  }
  bool row(const std::uint8_t* rgb) noexcept override {
    try {
      for (std::size_t x = 0; x < width_; ++x) {
        const unsigned sum = unsigned{rgb[3 * x]} + rgb[3 * x + 1] + rgb[3 * x + 2];
        pixels_.push_back(static_cast<std::uint8_t>((sum / 3) >> 4));
      }
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

 private:
  std::vector<std::uint8_t>& pixels_;
  std::size_t width_ = 0;
};

// Packs one palette index per pixel into hex rows.
void packRows(const std::vector<std::uint8_t>& pixels, HexBitmap& out, bool invert) {
  const std::size_t digits = out.rowDigits();
  const std::size_t bytes = digits / 2;
  const unsigned mask = (1u << out.bits) - 1;
  const unsigned perByte = 8u / static_cast<unsigned>(out.bits);
  const std::size_t width = out.width;
  // Bits of the last byte that hold pixels; the rest stay 0.
  const unsigned usedBits = static_cast<unsigned>((width * static_cast<unsigned>(out.bits) - 1) % 8 + 1);
  const auto lastMask = static_cast<std::uint8_t>(0xFF00u >> usedBits);
  out.rows.assign(out.height, std::string());
  std::vector<std::uint8_t> row(bytes);
  for (std::size_t y = 0; y < out.height; ++y) {
    std::fill(row.begin(), row.end(), 0);
    const std::uint8_t* src = pixels.data() + y * width;
    for (std::size_t x = 0; x < width; ++x) {
      const unsigned shift = 8u - static_cast<unsigned>(out.bits) * (static_cast<unsigned>(x % perByte) + 1);
      row[x / perByte] = static_cast<std::uint8_t>(row[x / perByte] | ((src[x] & mask) << shift));
    }
    if (invert)
      for (auto& b : row) b = static_cast<std::uint8_t>(~b);
    row[bytes - 1] &= lastMask;
    std::string& text = out.rows[y];
    text.resize(digits);
    for (std::size_t i = 0; i < bytes; ++i) {
      text[2 * i] = kHexDigits[row[i] >> 4];
      text[2 * i + 1] = kHexDigits[row[i] & 15];
    }
  }
}

void put16(std::ostream& out, std::uint32_t v) {
  const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF)};
  out.write(b, 2);
}
void put32(std::ostream& out, std::uint32_t v) {
  const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8 & 0xFF),
                     static_cast<char>(v >> 16 & 0xFF), static_cast<char>(v >> 24 & 0xFF)};
  out.write(b, 4);
}

}  // namespace

std::string_view defaultHexText() {
  static const std::string text = buildDefaultText();
  return text;
}

SourceResult readHexSource(std::istream& in, std::ostream* greyOut, HexBitmap& out) {
  out = HexBitmap{};
  picture::BmpHeader h;
  if (!picture::readBmpHeader(in, h) || h.width < 1 || h.height < 1) return SourceResult::kUnreadable;
  out.width = static_cast<std::uint32_t>(h.width);
  out.height = static_cast<std::uint32_t>(h.height);
  out.bits = h.bitsPerPixel;
  if (out.bits != 1 && out.bits != 4) return SourceResult::kOk;  // kept with its depth, no rows
  if (std::uint64_t{out.height} * (out.rowDigits() / 2) > kMaxRowBytes) return SourceResult::kTooLarge;

  std::vector<std::uint8_t> pixels;
  std::vector<std::array<std::uint8_t, 4>> palette = h.palette;
  try {
    if (out.bits == 4 && !isGreyRamp(h)) {
      pixels.reserve(std::size_t{out.width} * out.height);
      GreySink sink(pixels);
      if (!picture::decodeBmp(in, h, sink) || pixels.size() != std::size_t{out.width} * out.height)
        return SourceResult::kUnreadable;
      palette.assign(16, {});
      for (std::size_t i = 0; i < 16; ++i) {
        const auto level = static_cast<std::uint8_t>(0x11 * i);
        palette[i] = {level, level, level, 0};
      }
      if (greyOut) writeGreyBmp(*greyOut, out.width, out.height, pixels);
    } else if (!picture::decodeBmpIndices(in, h, pixels) ||
               pixels.size() != std::size_t{out.width} * out.height) {
      return SourceResult::kUnreadable;
    }
  } catch (const std::bad_alloc&) {
    return SourceResult::kUnreadable;
  }

  bool invert = false;
  if (out.bits == 1 && palette.size() > 1) {
    const auto& one = palette[1];
    invert = (one[0] | one[1] | one[2] | one[3]) != 0;
  }
  if (out.bits == 4) {
    out.palette.reserve(128);
    for (std::size_t i = 0; i < 16; ++i)
      for (std::size_t k = 0; k < 4; ++k) {
        const std::uint8_t b = i < palette.size() ? palette[i][k] : 0;
        out.palette.push_back(kHexDigits[b >> 4]);
        out.palette.push_back(kHexDigits[b & 15]);
      }
  }
  packRows(pixels, out, invert);
  return SourceResult::kOk;
}

SourceResult readHexSource(const fs::path& source, const fs::path& greyTarget, HexBitmap& out) {
  platform::InputFile in(source);
  if (!in.is_open()) {
    out = HexBitmap{};
    return SourceResult::kUnreadable;
  }
  std::ostringstream grey;
  const SourceResult r = readHexSource(in, greyTarget.empty() ? nullptr : &grey, out);
  if (r == SourceResult::kOk && !greyTarget.empty() && grey.tellp() > 0) {
    std::ofstream g(greyTarget, std::ios::binary | std::ios::trunc);
    const std::string bytes = grey.str();
    g.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  return r;
}

void writeHexBitmap(std::ostream& out, const HexBitmap& bitmap) {
  out << formatted("%04X%04X\t::%04X\r\n", bitmap.width, bitmap.height, static_cast<unsigned>(bitmap.bits));
  if (bitmap.bits == 4) out << "::" << bitmap.palette << "\r\n";
  for (const std::string& row : bitmap.rows) out << row << "\r\n";
}

bool parseHexHeader(std::string_view line, HexBitmap& out) {
  line = withoutPrefix(line);
  std::uint32_t width = 0, height = 0, bits = 0;
  if (!readHexDigits(line, 4, width) || !readHexDigits(line.substr(4), 4, height)) return false;
  if (line.substr(8, 3) != "\t::" || !readHexDigits(line.substr(11), 4, bits)) return false;
  out = HexBitmap{};
  out.width = width;
  out.height = height;
  out.bits = static_cast<int>(bits);
  return true;
}

bool HexPictureReader::readLine(std::string& line) {
  if (hasPending_) {
    line = std::move(pending_);
    hasPending_ = false;
    return true;
  }
  if (!std::getline(in_, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool HexPictureReader::next(HexBitmap& out) {
  std::string line;
  for (;;) {
    if (!readLine(line)) return false;
    if (parseHexHeader(line, out)) break;
  }
  const bool known = out.bits == 1 || out.bits == 4;
  const std::size_t digits = known ? out.rowDigits() : 0;
  while (out.rows.size() < (known ? out.height : 0) || (out.bits == 4 && out.palette.empty())) {
    if (!readLine(line)) break;
    HexBitmap probe;
    if (parseHexHeader(line, probe)) {  // the next picture begins: this one is short
      pending_ = std::move(line);
      hasPending_ = true;
      break;
    }
    std::string_view text = withoutPrefix(line);
    if (out.bits == 4 && out.palette.empty() && text.substr(0, 2) == "::") {
      out.palette.assign(text.substr(2));
      continue;
    }
    if (out.bits == 4 && out.palette.empty()) out.palette.assign(128, '0');
    std::string row(text.substr(0, digits));
    row.resize(digits, '0');
    out.rows.push_back(std::move(row));
  }
  return true;
}

void swapNibbles(std::string& line) {
  const std::size_t first = line.find('\t');
  std::size_t from = 0;
  if (first != std::string::npos) {
    if (line.find('\t', first + 1) != std::string::npos) return;
    from = first + 1;
  }
  std::size_t end = line.size();
  if (end > from && line[end - 1] == '\r') --end;
  for (std::size_t i = from; i + 1 < end; i += 2) std::swap(line[i], line[i + 1]);
}

bool swapNibblesInFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const fs::path temp = fs::path(path).concat(".swap");
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    std::string line;
    while (std::getline(in, line)) {
      swapNibbles(line);
      out << line << '\n';
    }
    if (!out.flush()) return false;
  }
  in.close();
  std::error_code ec;
  fs::rename(temp, path, ec);
  return !ec;
}

void writeGreyBmp(std::ostream& out, std::uint32_t width, std::uint32_t height,
                  const std::vector<std::uint8_t>& pixels) {
  const std::uint32_t stride = (width * 4 + 31) / 32 * 4;
  const std::uint32_t dataOffset = 14 + 40 + 64;
  out.write("BM", 2);
  put32(out, dataOffset + stride * height);
  put32(out, 0);
  put32(out, dataOffset);
  put32(out, 40);
  put32(out, width);
  put32(out, height);
  put16(out, 1);
  put16(out, 4);
  put32(out, 0);
  put32(out, stride * height);
  put32(out, 2835);
  put32(out, 2835);
  put32(out, 16);
  put32(out, 16);
  for (std::uint32_t i = 0; i < 16; ++i) put32(out, 0x111111u * i);
  std::vector<char> row(stride);
  for (std::uint32_t y = height; y-- > 0;) {
    std::fill(row.begin(), row.end(), 0);
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint8_t v = pixels[std::size_t{y} * width + x] & 15;
      row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 ? v : v << 4));
    }
    out.write(row.data(), stride);
  }
}

}  // namespace dm::bitmap
