#include "readback/picture_decoder.h"

#include <algorithm>

#include "readback/byte_reader.h"
#include "readback/nibbles.h"
#include "textio/format.h"

namespace dm::readback {

namespace {

// Font.bin: the 29-byte prefix, then Font2.bin; its directory record 0 (at
// 164) describes the pictures: the number count at +4, the offset of the
// information table at +24 and twelve groups of three member offsets from
// +32. Offsets count from the start of Font2.bin.
constexpr std::size_t kFontPrefix = 29;
constexpr std::size_t kPictureRecord = 164;
constexpr std::uint32_t kNoMember = 0xFFFFFFFF;
constexpr int kGroupRaw = 4, kGroupSymbolGrey = 5, kGroupRunLength = 6, kGroupSymbolMono = 9;

// ExtBmp.bin: member entries at 26 (offset, size), the address table in
// member 1 (lines of 10 bytes: number, offset as 3 bytes each, width and
// height as 2 bytes each, most significant first; the number FFFFFF ends it).
constexpr std::size_t kExtMembers = 26;
constexpr std::size_t kExtLine = 10;
constexpr std::uint32_t kExtEnd = 0xFFFFFF;

std::uint32_t be(Bytes b, std::size_t at, int n) {
  std::uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | b.u8(at + static_cast<std::size_t>(i));
  return v;
}

std::uint64_t rowBytes(std::uint32_t width, int bits) { return (std::uint64_t{width} * static_cast<unsigned>(bits) + 7) / 8; }

// Turns packed rows (1 bit: a set bit is black; 4 bits: grey level, high
// nibble first) into grey pixels.
Raster toRaster(std::uint32_t width, std::uint32_t height, int bits, const std::vector<std::uint8_t>& rows) {
  Raster r;
  r.width = width;
  r.height = height;
  r.channels = 1;
  r.pixels.resize(static_cast<std::size_t>(width) * height);
  const std::uint64_t stride = rowBytes(width, bits);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = rows.data() + y * stride;
    std::uint8_t* out = r.pixels.data() + static_cast<std::size_t>(y) * width;
    for (std::uint32_t x = 0; x < width; ++x) {
      if (bits == 1) {
        out[x] = (row[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
      } else {
        const std::uint8_t b = row[x / 2];
        out[x] = static_cast<std::uint8_t>(17 * (x % 2 ? (b & 0x0F) : (b >> 4)));
      }
    }
  }
  return r;
}


std::uint32_t le(Bytes b, std::size_t at, std::size_t n) {
  std::uint32_t v = 0;
  for (std::size_t i = n; i-- > 0;) v = (v << 8) | b.u8(at + i);
  return v;
}

}  // namespace

PictureTables::PictureTables(std::string_view fontImage, std::string_view extBmpImage) {
  if (fontImage.size() > kFontPrefix) {
    font2_ = fontImage.substr(kFontPrefix);
    const Bytes f(font2_);
    if (f.has(kPictureRecord, 176) && f.u8(kPictureRecord + 1) == 3) {
      infoCount_ = f.u32(kPictureRecord + 4);
      infoOffset_ = f.u32(kPictureRecord + 24);
      if (!f.has(infoOffset_, 8ULL * infoCount_)) infoCount_ = 0;
    }
  }
  const Bytes e(extBmpImage);
  if (e.size() >= 138) {
    const std::uint32_t tableAt = e.u32(kExtMembers), tableSize = e.u32(kExtMembers + 4);
    const std::uint32_t dataAt = e.u32(kExtMembers + 8), dataSize = e.u32(kExtMembers + 12);
    extData_ = e.slice(dataAt, dataSize);
    const std::string_view table = e.slice(tableAt, tableSize);
    const Bytes t(table);
    std::vector<ColourEntry> entries;
    for (std::size_t at = 0; at + kExtLine <= table.size(); at += kExtLine) {
      ColourEntry c;
      c.number = be(t, at, 3);
      c.offset = be(t, at + 3, 3);
      if (c.number == kExtEnd) {
        if (!entries.empty()) entries.back().size = c.offset > entries.back().offset ? c.offset - entries.back().offset : 0;
        break;
      }
      c.width = be(t, at + 6, 2);
      c.height = be(t, at + 8, 2);
      if (!entries.empty())
        entries.back().size = c.offset > entries.back().offset ? c.offset - entries.back().offset : 0;
      entries.push_back(c);
    }
    colours_ = std::move(entries);
  }
}

std::uint32_t PictureTables::slot(int group, int member) const {
  const Bytes f(font2_);
  const std::size_t at = kPictureRecord + 32 + 12 * static_cast<std::size_t>(group) + 4 * static_cast<std::size_t>(member);
  return f.has(at, 4) ? f.u32(at) : kNoMember;
}

PictureInfoLine PictureTables::infoLine(std::uint32_t number) const {
  PictureInfoLine line;
  if (number >= infoCount_) return line;
  const Bytes f(font2_);
  const std::size_t at = infoOffset_ + 8ULL * number;
  line.kind = f.u8(at) >> 4;
  line.height = ((f.u8(at) & 0x0F) << 8) | f.u8(at + 1);
  line.width = be(f, at + 2, 2);
  line.index = be(f, at + 4, 4);
  return line;
}

std::optional<Raster> PictureTables::decode(std::string_view id, std::string& problem) const {
  auto hexValue = [](std::string_view s, std::uint32_t& v) {
    if (s.empty() || s.size() > 8) return false;
    v = 0;
    for (char c : s) {
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) return false;
      v = v * 16 + static_cast<std::uint32_t>(d);
    }
    return true;
  };
  std::uint32_t number = 0;
  if (id.size() == 6 && id.substr(0, 2) == "02" && hexValue(id.substr(2), number)) return decodeColour(number, problem);
  if (id.size() == 4 && hexValue(id, number)) return decodeMonochrome(number, problem);
  problem = "the picture id is malformed";
  return std::nullopt;
}

std::optional<Raster> PictureTables::decodeMonochrome(std::uint32_t number, std::string& problem) const {
  const PictureInfoLine line = infoLine(number);
  if (line.kind == 0xF) {
    problem = number >= infoCount_ ? "the picture tables hold no picture " + std::to_string(number)
                                   : "picture " + std::to_string(number) + " is marked unused";
    return std::nullopt;
  }
  if (line.width == 0 || line.height == 0 || std::uint64_t{line.width} * line.height > kMaxDecodedPixels) {
    problem = formatted("picture size %ux%u", line.width, line.height);
    return std::nullopt;
  }
  const Bytes f(font2_);
  int group = 0;
  switch (line.kind) {
    case 9: group = kGroupSymbolMono; break;
    case 5: group = kGroupSymbolGrey; break;
    case 6: group = kGroupRunLength; break;
    case 4: case 2: group = kGroupRaw; break;
    default:
      problem = formatted("unknown picture kind %X", line.kind);
      return std::nullopt;
  }
  const std::uint32_t first = slot(group, 0), add = slot(group, 1);
  if (first == kNoMember || add == kNoMember || !f.has(add, 4ULL * line.index + 4)) {
    problem = "the picture's table is missing";
    return std::nullopt;
  }
  const std::uint32_t address = be(f, add + 4ULL * line.index, 4);
  int bits = 1;
  std::uint64_t start = address;  // class 3: hex digits of .dic
  if (group != kGroupSymbolMono) {
    start = address >> 4;
    bits = static_cast<int>(address & 0x0F);
  }
  if (line.kind == 2) bits = 1;
  if (bits != 1 && bits != 4) {
    problem = "the picture has " + std::to_string(bits) + " bits per pixel";
    return std::nullopt;
  }
  const std::uint64_t total = rowBytes(line.width, bits) * line.height;
  std::vector<std::uint8_t> rows;
  rows.reserve(static_cast<std::size_t>(total));

  if (group == kGroupSymbolMono || group == kGroupSymbolGrey) {
    const std::uint32_t header = slot(group, 2);
    if (header == kNoMember || !f.has(header, 16)) {
      problem = "the picture's code table is missing";
      return std::nullopt;
    }
    const std::size_t firstBytes = f.u8(header), count = f.u8(header + 1), secondBytes = f.u8(header + 2);
    const std::size_t symbolBytes = (f.u8(header + 3) + 2u) / 2;
    const std::uint32_t symbols = f.u32(header + 4);
    if (firstBytes == 0 || firstBytes > 4 || secondBytes == 0 || secondBytes > 4 || count == 0 || count > 8 ||
        symbolBytes != 3) {
      problem = "the picture's code table header is malformed";
      return std::nullopt;
    }
    NibbleCode code;
    std::size_t at = header + 16;
    for (std::size_t k = 0; k < count; ++k, at += firstBytes) code.cumulative.push_back(le(f, at, firstBytes));
    for (std::size_t k = 0; k < count; ++k, at += secondBytes) code.offsets.push_back(le(f, at, secondBytes));
    const std::size_t cod = at;
    if (!f.has(cod, std::size_t{symbols} * symbolBytes)) {
      problem = "the picture's symbol table runs past the image";
      return std::nullopt;
    }
    Nibbles in(font2_, std::uint64_t{first} * 2 + start);
    while (rows.size() < total) {
      const std::optional<std::uint32_t> s = code.read(in);
      if (!s || *s >= symbols) {
        problem = "the picture's codes do not decode";
        return std::nullopt;
      }
      const std::size_t e = cod + std::size_t{*s} * symbolBytes;
      const std::uint32_t repeat = be(f, e, 2);
      const std::uint8_t unit = f.u8(e + 2);
      if (repeat == 0 || rows.size() + repeat > total) {
        problem = "a run of the picture's codes passes its end";
        return std::nullopt;
      }
      rows.insert(rows.end(), repeat, unit);
    }
    // Undo the row delta: every row but the first was stored XORed with
    // the row above it.
    const std::uint64_t stride = rowBytes(line.width, bits);
    for (std::uint64_t i = stride; i < total; ++i) rows[i] ^= rows[i - stride];
  } else if (group == kGroupRunLength) {
    std::uint64_t pos = std::uint64_t{first} + start;
    auto byte = [&](bool& ok) -> std::uint8_t {
      if (!f.has(pos, 1)) {
        ok = false;
        return 0;
      }
      return f.u8(pos++);
    };
    bool ok = true;
    while (ok && rows.size() < total) {
      const std::uint8_t b = byte(ok);
      std::uint32_t n = 0;
      if (b == 0x80 || b > 0x80) {  // a run
        std::uint8_t unit = 0;
        if (b == 0x80) {
          unit = byte(ok);
          n = byte(ok);
          n |= static_cast<std::uint32_t>(byte(ok)) << 8;
        } else {
          n = b - 0x80u;
          unit = byte(ok);
        }
        if (!ok || n == 0 || rows.size() + n > total) ok = false;
        else rows.insert(rows.end(), n, unit);
      } else {  // literal units
        if (b == 0) {
          n = byte(ok);
          n |= static_cast<std::uint32_t>(byte(ok)) << 8;
        } else {
          n = b;
        }
        if (!ok || n == 0 || rows.size() + n > total || !f.has(pos, n)) ok = false;
        for (std::uint32_t k = 0; ok && k < n; ++k) rows.push_back(byte(ok));
      }
    }
    if (!ok) {
      problem = "the picture's run-length code does not decode";
      return std::nullopt;
    }
  } else {  // raw rows, in hex digits from `start`
    Nibbles in(font2_, std::uint64_t{first} * 2 + start);
    for (std::uint64_t i = 0; i < total; ++i) {
      const int hi = in.next(), lo = in.next();
      if (hi < 0 || lo < 0) {
        problem = "the picture's rows run past the image";
        return std::nullopt;
      }
      rows.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
  }
  // The grey tables hold every byte with its two pixels exchanged.
  if (group != kGroupSymbolMono)
    for (std::uint8_t& b : rows) b = static_cast<std::uint8_t>((b << 4) | (b >> 4));
  return toRaster(line.width, line.height, bits, rows);
}

std::optional<PictureTables::ColourEntry> PictureTables::colourEntry(std::uint32_t number) const {
  for (const ColourEntry& c : colours_)
    if (c.number == number) return c;
  return std::nullopt;
}

bool PictureTables::hasColour(std::uint32_t number) const { return colourEntry(number).has_value(); }

std::optional<Raster> PictureTables::decodeColour(std::uint32_t number, std::string& problem) const {
  const std::optional<ColourEntry> c = colourEntry(number);
  if (!c) {
    problem = "the colour pictures hold no picture " + std::to_string(number);
    return std::nullopt;
  }
  if (c->size == 0 || std::uint64_t{c->offset} + c->size > extData_.size()) {
    problem = "the colour picture's data lie outside the image";
    return std::nullopt;
  }
  const std::string_view file = extData_.substr(c->offset, c->size);
  std::optional<Raster> r = file.substr(0, 2) == "BM" ? decodeSimpleBmp(file, problem) : decodeJpeg(file, problem);
  if (r && (r->width != c->width || r->height != c->height)) {
    problem = formatted("the picture is %ux%u, its address table says %ux%u", r->width, r->height, c->width, c->height);
    return std::nullopt;
  }
  return r;
}

std::optional<Raster> decodeSimpleBmp(std::string_view file, std::string& problem) {
  const Bytes b(file);
  problem = "the BMP picture is malformed";
  if (b.size() < 54 || b.u8(0) != 'B' || b.u8(1) != 'M') return std::nullopt;
  const std::uint32_t dataAt = b.u32(10), infoSize = b.u32(14);
  if (infoSize < 40) return std::nullopt;
  const std::int32_t w = static_cast<std::int32_t>(b.u32(18));
  std::int32_t h = static_cast<std::int32_t>(b.u32(22));
  const int bits = b.u16(28);
  const bool topDown = h < 0;
  if (h < 0) h = -h;
  if (w <= 0 || h <= 0 || b.u32(30) != 0 || (bits != 1 && bits != 4 && bits != 8 && bits != 24) ||
      std::uint64_t(w) * std::uint64_t(h) > kMaxDecodedPixels)
    return std::nullopt;
  std::uint32_t colours = b.u32(46);
  if (bits <= 8 && colours == 0) colours = 1u << bits;
  const std::size_t paletteAt = 14 + infoSize;
  const std::uint64_t stride = (std::uint64_t(w) * static_cast<unsigned>(bits) + 31) / 32 * 4;
  if (!b.has(dataAt, stride * static_cast<std::uint64_t>(h)) || (bits <= 8 && !b.has(paletteAt, 4ULL * colours)))
    return std::nullopt;
  Raster r;
  r.width = static_cast<std::uint32_t>(w);
  r.height = static_cast<std::uint32_t>(h);
  r.channels = 3;
  r.pixels.resize(std::size_t(w) * std::size_t(h) * 3);
  for (std::int32_t y = 0; y < h; ++y) {
    const std::size_t row = dataAt + stride * static_cast<std::uint64_t>(topDown ? y : h - 1 - y);
    for (std::int32_t x = 0; x < w; ++x) {
      std::uint8_t rgb[3] = {0, 0, 0};
      if (bits == 24) {
        rgb[0] = b.u8(row + 3 * x + 2);
        rgb[1] = b.u8(row + 3 * x + 1);
        rgb[2] = b.u8(row + 3 * x);
      } else {
        std::uint32_t index = 0;
        if (bits == 8) index = b.u8(row + x);
        else if (bits == 4) index = (b.u8(row + x / 2) >> (x % 2 ? 0 : 4)) & 0x0F;
        else index = (b.u8(row + x / 8) >> (7 - x % 8)) & 1;
        if (index < colours) {
          rgb[0] = b.u8(paletteAt + 4 * index + 2);
          rgb[1] = b.u8(paletteAt + 4 * index + 1);
          rgb[2] = b.u8(paletteAt + 4 * index);
        }
      }
      std::copy(rgb, rgb + 3, r.pixels.begin() + (std::size_t(y) * std::size_t(w) + std::size_t(x)) * 3);
    }
  }
  problem.clear();
  return r;
}

}  // namespace dm::readback
