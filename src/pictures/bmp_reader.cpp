#include "pictures/bmp_reader.h"

#include <algorithm>
#include <bit>
#include <new>

#include "pictures/picture_stream.h"

namespace dm::picture {

namespace {

constexpr std::int64_t kFileHeaderSize = 14;

bool readAt(std::istream& in, std::int64_t offset, std::uint8_t* out, std::size_t count) {
  in.clear();
  in.seekg(offset, std::ios::beg);
  if (!in) return false;
  in.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
  return in.gcount() == static_cast<std::streamsize>(count);
}

bool validDepth(std::uint16_t bits, std::uint32_t compression) {
  switch (compression) {
    case kBmpRgb:
      return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case kBmpRle8:
      return bits == 8;
    case kBmpRle4:
      return bits == 4;
    case kBmpBitFields:
    case kBmpAlphaBitFields:
      return bits == 16 || bits == 32;
    default:
      return false;
  }
}

// Bytes of a row that hold pixels (the last row may lack its padding).
std::int64_t rowBytes(const BmpHeader& h) {
  return (static_cast<std::int64_t>(h.width) * h.bitsPerPixel + 7) / 8;
}

// Walks run-length data, calling put(x, y, index) for every pixel inside
// the picture (y counted in stored order). Writes outside the picture are
// dropped, and the walk ends once the cursor has left the last row. False
// when a command is cut off by the end of the data.
template <class Put>
bool walkRunLength(std::istream& in, const BmpHeader& h, Put put) {
  ByteReader r(in, h.pixelOffset, h.dataEnd);
  const bool four = h.compression == kBmpRle4;
  const std::int64_t w = h.width, ht = h.height;
  std::int64_t x = 0, y = 0;
  auto emit = [&](int index) {
    if (x < w && y < ht) put(x, y, index);
    ++x;
  };
  while (y < ht) {
    const int count = r.next();
    if (count < 0) return true;  // data ends without an end mark: rest left 0
    const int value = r.next();
    if (value < 0) return false;
    if (count > 0) {
      for (int i = 0; i < count && x < w; ++i) emit(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of picture
      return true;
    } else if (value == 2) {  // delta
      const int dx = r.next(), dy = r.next();
      if (dx < 0 || dy < 0) return false;
      x += dx;
      y += dy;
    } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
      const int bytes = four ? (value + 1) / 2 : value;
      for (int i = 0; i < bytes; ++i) {
        const int b = r.next();
        if (b < 0) return false;
        if (four) {
          emit(b >> 4);
          if (2 * i + 1 < value) emit(b & 0x0F);
        } else {
          emit(b);
        }
      }
      if ((bytes & 1) && r.next() < 0) return false;
    }
  }
  return true;
}

struct MaskShift {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint64_t max = 0;  // largest value of the field
};

MaskShift maskShift(std::uint32_t mask) {
  MaskShift m;
  m.mask = mask;
  if (mask == 0) return m;
  m.shift = std::countr_zero(mask);
  m.max = mask >> m.shift;
  return m;
}

std::uint8_t field(std::uint32_t px, const MaskShift& m) {
  if (m.max == 0) return 0;
  return static_cast<std::uint8_t>(static_cast<std::uint64_t>((px & m.mask) >> m.shift) * 255 / m.max);
}

// Converts one stored row of uncompressed data to RGB.
void rowToRgb(const BmpHeader& h, const std::uint8_t* src, std::uint8_t* dst,
              const std::array<MaskShift, 3>& masks) {
  const std::size_t paletteSize = h.palette.size();
  auto fromPalette = [&](unsigned index, std::uint8_t* out) {
    if (index < paletteSize) {
      out[0] = h.palette[index][2];
      out[1] = h.palette[index][1];
      out[2] = h.palette[index][0];
    } else {
      out[0] = out[1] = out[2] = 0;
    }
  };
  for (std::int32_t x = 0; x < h.width; ++x) {
    std::uint8_t* out = dst + static_cast<std::size_t>(x) * 3;
    switch (h.bitsPerPixel) {
      case 1:
        fromPalette((src[x >> 3] >> (7 - (x & 7))) & 1, out);
        break;
      case 4:
        fromPalette((x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4, out);
        break;
      case 8:
        fromPalette(src[x], out);
        break;
      case 16: {
        const std::uint32_t px = le16(src + 2 * x);
        for (int c = 0; c < 3; ++c) out[c] = field(px, masks[c]);
        break;
      }
      case 24:
        out[0] = src[3 * x + 2];
        out[1] = src[3 * x + 1];
        out[2] = src[3 * x];
        break;
      default: {
        const std::uint32_t px = le32(src + 4 * x);
        for (int c = 0; c < 3; ++c) out[c] = field(px, masks[c]);
        break;
      }
    }
  }
}

}  // namespace

bool readBmpHeader(std::istream& in, BmpHeader& h) {
  h = BmpHeader{};
  const std::int64_t fileSize = streamSize(in);
  if (fileSize < kFileHeaderSize + 12) return false;
  std::uint8_t head[kFileHeaderSize + 124] = {};
  const std::size_t headBytes =
      static_cast<std::size_t>(std::min<std::int64_t>(fileSize, sizeof head));
  if (!readAt(in, 0, head, headBytes)) return false;
  if (head[0] != 'B' || head[1] != 'M') return false;
  const std::int64_t pixelOffset = le32(head + 10);
  const std::int64_t infoSize = le32(head + 14);
  // Core (12), info (40), its extensions (52, 56), OS/2 2.x (16, 64), V4 (108), V5 (124).
  if (infoSize != 12 && infoSize != 16 && infoSize != 40 && infoSize != 52 && infoSize != 56 &&
      infoSize != 64 && infoSize != 108 && infoSize != 124)
    return false;
  if (kFileHeaderSize + infoSize > fileSize) return false;
  const std::uint8_t* info = head + kFileHeaderSize;
  std::int64_t width = 0, height = 0, colours = 0;
  std::int64_t paletteEntrySize = 4;
  std::int64_t afterHeader = kFileHeaderSize + infoSize;
  if (infoSize == 12) {
    width = le16(info + 4);
    height = le16(info + 6);
    h.bitsPerPixel = le16(info + 10);
    paletteEntrySize = 3;
  } else {
    width = static_cast<std::int32_t>(le32(info + 4));
    height = static_cast<std::int32_t>(le32(info + 8));
    h.bitsPerPixel = le16(info + 14);
    if (infoSize >= 40) {
      h.compression = le32(info + 16);
      colours = le32(info + 32);
    }
  }
  if (height < 0) {
    h.topDown = true;
    height = -height;
  }
  if (!sizeAllowed(width, height)) return false;
  if (!validDepth(h.bitsPerPixel, h.compression)) return false;
  if (h.topDown && h.compression != kBmpRgb && h.compression != kBmpBitFields &&
      h.compression != kBmpAlphaBitFields)
    return false;
  h.width = static_cast<std::int32_t>(width);
  h.height = static_cast<std::int32_t>(height);

  if (h.compression == kBmpBitFields || h.compression == kBmpAlphaBitFields) {
    if (infoSize == 40) {  // the masks follow the header
      std::uint8_t m[12];
      if (!readAt(in, afterHeader, m, sizeof m)) return false;
      for (int c = 0; c < 3; ++c) h.masks[c] = le32(m + 4 * c);
      afterHeader += h.compression == kBmpAlphaBitFields ? 16 : 12;
    } else if (infoSize >= 52) {
      for (int c = 0; c < 3; ++c) h.masks[c] = le32(info + 40 + 4 * c);
    } else {
      return false;
    }
    if ((h.masks[0] | h.masks[1] | h.masks[2]) == 0) return false;
  } else if (h.bitsPerPixel == 16) {
    h.masks = {0x7C00, 0x03E0, 0x001F};
  } else if (h.bitsPerPixel == 32) {
    h.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
  }

  if (pixelOffset < afterHeader || pixelOffset >= fileSize) return false;
  if (h.bitsPerPixel <= 8) {
    const std::int64_t full = std::int64_t{1} << h.bitsPerPixel;
    std::int64_t count = colours == 0 || colours > full ? full : colours;
    // Some writers count more colours than they store: keep what fits.
    count = std::min(count, (pixelOffset - afterHeader) / paletteEntrySize);
    if (count < 1) return false;
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(count * paletteEntrySize));
    if (!readAt(in, afterHeader, raw.data(), raw.size())) return false;
    h.palette.resize(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
      const std::uint8_t* e = raw.data() + i * paletteEntrySize;
      h.palette[static_cast<std::size_t>(i)] = {e[0], e[1], e[2], 0};
    }
  }
  h.pixelOffset = pixelOffset;
  h.dataEnd = fileSize;
  if (h.runLength() && infoSize >= 40) {
    const std::int64_t imageSize = le32(info + 20);
    // A stated size beyond the end of the file means the file was cut short.
    if (imageSize > 0 && pixelOffset + imageSize > fileSize) return false;
    if (imageSize > 0) h.dataEnd = pixelOffset + imageSize;
  }
  return true;
}

bool checkBmpData(std::istream& in, const BmpHeader& h) {
  if (h.runLength()) return walkRunLength(in, h, [](std::int64_t, std::int64_t, int) {});
  const std::int64_t needed = h.stride() * (h.height - 1) + rowBytes(h);
  return h.pixelOffset + needed <= h.dataEnd;
}

bool decodeBmpIndices(std::istream& in, const BmpHeader& h, std::vector<std::uint8_t>& indices) {
  if (h.bitsPerPixel > 8 || !sizeAllowed(h.width, h.height)) return false;
  const std::int64_t w = h.width, ht = h.height;
  try {
    indices.assign(static_cast<std::size_t>(w * ht), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (h.runLength()) {
    // Stored rows run bottom up.
    return walkRunLength(in, h, [&](std::int64_t x, std::int64_t y, int index) {
      indices[static_cast<std::size_t>((ht - 1 - y) * w + x)] = static_cast<std::uint8_t>(index);
    });
  }
  if (!checkBmpData(in, h)) return false;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes(h)));
  for (std::int64_t y = 0; y < ht; ++y) {
    const std::int64_t stored = h.topDown ? y : ht - 1 - y;
    if (!readAt(in, h.pixelOffset + stored * h.stride(), row.data(), row.size())) return false;
    std::uint8_t* out = indices.data() + y * w;
    for (std::int64_t x = 0; x < w; ++x) {
      switch (h.bitsPerPixel) {
        case 1: out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
        case 4: out[x] = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4; break;
        default: out[x] = row[x]; break;
      }
    }
  }
  return true;
}

bool decodeBmp(std::istream& in, const BmpHeader& h, RowSink& sink) {
  if (!sizeAllowed(h.width, h.height)) return false;
  std::vector<std::uint8_t> rgb;
  try {
    rgb.resize(static_cast<std::size_t>(h.width) * 3);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (h.runLength()) {
    std::vector<std::uint8_t> indices;
    if (!decodeBmpIndices(in, h, indices)) return false;
    if (!sink.begin(h.width, h.height)) return false;
    // Convert each row of indices as an 8-bit row through the palette.
    BmpHeader asBytes = h;
    asBytes.bitsPerPixel = 8;
    for (std::int32_t y = 0; y < h.height; ++y) {
      rowToRgb(asBytes, indices.data() + static_cast<std::size_t>(y) * h.width, rgb.data(), {});
      if (!sink.row(rgb.data())) return false;
    }
    return true;
  }
  if (!checkBmpData(in, h)) return false;
  const std::array<MaskShift, 3> masks = {maskShift(h.masks[0]), maskShift(h.masks[1]),
                                          maskShift(h.masks[2])};
  std::vector<std::uint8_t> row(static_cast<std::size_t>(rowBytes(h)));
  if (!sink.begin(h.width, h.height)) return false;
  for (std::int64_t y = 0; y < h.height; ++y) {
    const std::int64_t stored = h.topDown ? y : h.height - 1 - y;
    if (!readAt(in, h.pixelOffset + stored * h.stride(), row.data(), row.size())) return false;
    rowToRgb(h, row.data(), rgb.data(), masks);
    if (!sink.row(rgb.data())) return false;
  }
  return true;
}

}  // namespace dm::picture
