#include "pictures/picture_fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <gif_lib.h>
#include <jpeglib.h>

namespace dm::test {

void put16(std::string& s, std::size_t at, std::uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}

void put32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

namespace {

// File header, info header (or core header) and palette; returns the bytes
// with the pixel offset filled in.
std::string bmpHead(int width, int height, int bits, std::uint32_t compression,
                    const Palette& palette, const BmpOptions& o) {
  const std::size_t info = o.coreHeader ? 12 : 40;
  const std::size_t masks = o.bitFields ? 12 : 0;
  const std::size_t entry = o.coreHeader ? 3 : 4;
  std::string s(14 + info + masks + palette.size() * entry, '\0');
  s[0] = 'B';
  s[1] = 'M';
  put32(s, 10, static_cast<std::uint32_t>(s.size()));
  put32(s, 14, static_cast<std::uint32_t>(info));
  if (o.coreHeader) {
    put16(s, 18, static_cast<std::uint16_t>(width));
    put16(s, 20, static_cast<std::uint16_t>(height));
    put16(s, 22, 1);
    put16(s, 24, static_cast<std::uint16_t>(bits));
  } else {
    put32(s, 18, static_cast<std::uint32_t>(width));
    put32(s, 22, static_cast<std::uint32_t>(o.topDown ? -height : height));
    put16(s, 26, 1);
    put16(s, 28, static_cast<std::uint16_t>(bits));
    put32(s, 30, compression);
    put32(s, 46, static_cast<std::uint32_t>(palette.size()));
  }
  std::size_t at = 14 + info;
  if (o.bitFields) {
    const bool wide = bits == 32;
    put32(s, at, wide ? 0xFF0000u : 0xF800u);
    put32(s, at + 4, wide ? 0x00FF00u : 0x07E0u);
    put32(s, at + 8, wide ? 0x0000FFu : 0x001Fu);
    at += 12;
  }
  for (const auto& c : palette) {
    s[at] = static_cast<char>(c[2]);
    s[at + 1] = static_cast<char>(c[1]);
    s[at + 2] = static_cast<char>(c[0]);
    at += entry;
  }
  return s;
}

void finishBmp(std::string& s) { put32(s, 2, static_cast<std::uint32_t>(s.size())); }

}  // namespace

std::string makeBmp(int width, int height, int bits, const PixelFn& pixel,
                    const Palette& palette, BmpOptions o) {
  std::string s = bmpHead(width, height, bits, o.bitFields ? 3 : 0, palette, o);
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  for (int r = 0; r < height; ++r) {
    const int y = o.topDown ? r : height - 1 - r;
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = pixel(x, y);
      const std::uint8_t red = (v >> 16) & 0xFF, green = (v >> 8) & 0xFF, blue = v & 0xFF;
      switch (bits) {
        case 1: row[x / 8] = static_cast<char>(row[x / 8] | ((v & 1) << (7 - x % 8))); break;
        case 4: row[x / 2] = static_cast<char>(row[x / 2] | ((v & 0xF) << ((x % 2) ? 0 : 4))); break;
        case 8: row[x] = static_cast<char>(v); break;
        case 16: {
          const std::uint16_t p = o.bitFields
              ? static_cast<std::uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3))
              : static_cast<std::uint16_t>(((red >> 3) << 10) | ((green >> 3) << 5) | (blue >> 3));
          put16(row, 2 * x, p);
          break;
        }
        case 24:
          row[3 * x] = static_cast<char>(blue);
          row[3 * x + 1] = static_cast<char>(green);
          row[3 * x + 2] = static_cast<char>(red);
          break;
        default: put32(row, 4 * x, 0xFF000000u | v); break;
      }
    }
    s += row;
  }
  finishBmp(s);
  return s;
}

std::string makeRleBmp(int width, int height, int bits, const Palette& palette,
                       const std::vector<std::uint8_t>& commands) {
  std::string s = bmpHead(width, height, bits, bits == 8 ? 1 : 2, palette, {});
  put32(s, 34, static_cast<std::uint32_t>(commands.size()));
  s.append(commands.begin(), commands.end());
  finishBmp(s);
  return s;
}

namespace {

// Compresses the pixels with libjpeg; `configure` adjusts the settings after
// the defaults are set.
std::string compressJpeg(int width, int height, const PixelFn& rgb, bool grey,
                         const std::function<void(jpeg_compress_struct&)>& configure) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  configure(cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * cinfo.input_components);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = rgb(x, y);
      if (grey) {
        row[x] = static_cast<JSAMPLE>(v & 0xFF);
      } else {
        row[3 * x] = static_cast<JSAMPLE>((v >> 16) & 0xFF);
        row[3 * x + 1] = static_cast<JSAMPLE>((v >> 8) & 0xFF);
        row[3 * x + 2] = static_cast<JSAMPLE>(v & 0xFF);
      }
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string out(reinterpret_cast<char*>(buffer), size);
  std::free(buffer);
  return out;
}

}  // namespace

std::string makeJpeg(int width, int height, const PixelFn& rgb, bool progressive, bool grey) {
  return compressJpeg(width, height, rgb, grey, [&](jpeg_compress_struct& cinfo) {
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
  });
}

std::string makeManyScanJpeg(int width, int height, bool refine) {
  std::vector<jpeg_scan_info> scans;
  const int al = refine ? 1 : 0;
  scans.push_back({3, {0, 1, 2, 0}, 0, 0, 0, al});
  for (int c = 0; c < 3; ++c)
    for (int k = 1; k < 64; ++k) scans.push_back({1, {c, 0, 0, 0}, k, k, 0, al});
  if (refine) {
    scans.push_back({3, {0, 1, 2, 0}, 0, 0, 1, 0});
    for (int c = 0; c < 3; ++c)
      for (int k = 1; k < 64; ++k) scans.push_back({1, {c, 0, 0, 0}, k, k, 1, 0});
  }
  const PixelFn rgb = [](int x, int y) {
    return static_cast<std::uint32_t>(((x * 7) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | ((x ^ y) & 0xFF));
  };
  return compressJpeg(width, height, rgb, false, [&](jpeg_compress_struct& cinfo) {
    cinfo.scan_info = scans.data();
    cinfo.num_scans = static_cast<int>(scans.size());
  });
}

std::string withExif(const std::string& jpeg, int orientation, const std::string& tiff) {
  std::string block = tiff;
  if (block.empty()) {
    // Little-endian TIFF: header, one directory of one entry, no next one.
    block = std::string("II*\0", 4) + std::string("\x08\0\0\0", 4) + std::string("\x01\0", 2) +
            std::string("\x12\x01\x03\0\x01\0\0\0", 8) + std::string(4, '\0') + std::string(4, '\0');
    put16(block, 18, static_cast<std::uint16_t>(orientation));
  }
  const std::string payload = std::string("Exif\0\0", 6) + block;
  std::string segment = "\xFF\xE1";
  segment += static_cast<char>(((payload.size() + 2) >> 8) & 0xFF);
  segment += static_cast<char>((payload.size() + 2) & 0xFF);
  return jpeg.substr(0, 2) + segment + payload + jpeg.substr(2);
}

namespace {

int appendOutput(GifFileType* gif, const GifByteType* data, int length) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data),
                                                    static_cast<std::size_t>(length));
  return length;
}

void check(int result, const char* what) {
  if (result == GIF_ERROR) throw std::runtime_error(std::string("giflib: ") + what);
}

}  // namespace

std::string makeGif(int screenWidth, int screenHeight, const Palette& palette,
                    const std::vector<GifFrame>& frames) {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, appendOutput, &error);
  if (!gif) throw std::runtime_error("EGifOpen failed");
  std::vector<GifColorType> colours;
  for (const auto& c : palette) colours.push_back({c[0], c[1], c[2]});
  ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
  EGifSetGifVersion(gif, true);
  check(EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, map), "screen");
  for (const GifFrame& f : frames) {
    if (f.transparent >= 0) {
      GraphicsControlBlock gcb{};
      gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
      gcb.TransparentColor = f.transparent;
      GifByteType ext[4];
      EGifGCBToExtension(&gcb, ext);
      check(EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext), "gcb");
    }
    check(EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlace, nullptr), "image");
    std::vector<int> order;
    if (f.interlace) {
      const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
      for (int p = 0; p < 4; ++p)
        for (int y = start[p]; y < f.height; y += step[p]) order.push_back(y);
    } else {
      for (int y = 0; y < f.height; ++y) order.push_back(y);
    }
    for (int y : order) {
      std::vector<GifPixelType> line(f.indices.begin() + static_cast<std::ptrdiff_t>(y) * f.width,
                                     f.indices.begin() + static_cast<std::ptrdiff_t>(y + 1) * f.width);
      check(EGifPutLine(gif, line.data(), f.width), "line");
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

GifFrame gifFrame(int left, int top, int width, int height, const PixelFn& index) {
  GifFrame f;
  f.left = left;
  f.top = top;
  f.width = width;
  f.height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) f.indices.push_back(static_cast<std::uint8_t>(index(x, y)));
  return f;
}

}  // namespace dm::test
