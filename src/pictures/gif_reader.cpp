#include "pictures/gif_reader.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <gif_lib.h>

namespace dm::picture {

namespace {

// Longest string of pixels one LZW code can stand for.
constexpr std::int64_t kMaxLzwString = 4096;

int readStream(GifFileType* gif, GifByteType* out, int length) {
  auto* in = static_cast<std::istream*>(gif->UserData);
  if (length <= 0) return 0;
  in->read(reinterpret_cast<char*>(out), length);
  return static_cast<int>(in->gcount());
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

GifHandle openGif(std::istream& in) {
  in.clear();
  in.seekg(0, std::ios::beg);
  char stamp[6] = {};
  in.read(stamp, sizeof stamp);
  if (in.gcount() != sizeof stamp ||
      (std::memcmp(stamp, "GIF87a", 6) != 0 && std::memcmp(stamp, "GIF89a", 6) != 0))
    return nullptr;
  in.clear();
  in.seekg(0, std::ios::beg);
  if (!in) return nullptr;
  int error = 0;
  GifHandle gif(DGifOpen(&in, readStream, &error));
  if (!gif || !sizeAllowed(gif->SWidth, gif->SHeight)) return nullptr;
  return gif;
}

// The image descriptor just read: a non-empty rectangle inside the screen
// and a colour table to read it with.
bool frameUsable(const GifFileType* gif) {
  const GifImageDesc& d = gif->Image;
  const std::int64_t left = d.Left, top = d.Top, width = d.Width, height = d.Height;
  if (width < 1 || height < 1 || left < 0 || top < 0) return false;
  if (left + width > gif->SWidth || top + height > gif->SHeight) return false;
  const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
  return map != nullptr && map->ColorCount > 0 && map->Colors != nullptr;
}

// Reads an extension's code and first data block (null when it has none).
bool readExtension(GifFileType* gif, int* code, GifByteType** block) {
  *block = nullptr;
  return DGifGetExtension(gif, code, block) != GIF_ERROR;
}

// Skips the data blocks that follow `block` up to the extension's end.
bool skipRest(GifFileType* gif, GifByteType* block) {
  while (block)
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  return true;
}

}  // namespace

bool probeGif(std::istream& in, GifInfo& info) {
  info = GifInfo{};
  GifHandle gif = openGif(in);
  if (!gif) return false;
  info.width = gif->SWidth;
  info.height = gif->SHeight;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR)
      // A missing trailer is common; a cut inside a frame is not accepted.
      return info.frames > 0 && gif->Error == D_GIF_ERR_READ_FAILED;
    switch (type) {
      case IMAGE_DESC_RECORD_TYPE: {
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR || !frameUsable(gif.get())) return false;
        const std::int64_t pixels = static_cast<std::int64_t>(gif->Image.Width) * gif->Image.Height;
        int codeSize = 0;
        GifByteType* block = nullptr;
        if (DGifGetCode(gif.get(), &codeSize, &block) == GIF_ERROR) return false;
        std::int64_t dataBytes = 0;
        while (block) {
          dataBytes += block[0];
          if (DGifGetCodeNext(gif.get(), &block) == GIF_ERROR) return false;
        }
        // A code takes at least codeSize + 1 bits and stands for at most
        // 4096 pixels: a frame with less data lies about its size.
        if (pixels > dataBytes * 8 / (codeSize + 1) * kMaxLzwString) return false;
        if (++info.frames > kMaxGifFrames) return false;
        break;
      }
      case EXTENSION_RECORD_TYPE: {
        int code = 0;
        GifByteType* block = nullptr;
        if (!readExtension(gif.get(), &code, &block) || !skipRest(gif.get(), block)) return false;
        break;
      }
      case TERMINATE_RECORD_TYPE:
        return info.frames > 0;
      default:
        return false;
    }
  }
}

bool decodeGif(std::istream& in, RowSink& sink) {
  GifHandle gif = openGif(in);
  if (!gif) return false;
  int transparent = NO_TRANSPARENT_COLOR;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) return false;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* block = nullptr;
      if (!readExtension(gif.get(), &code, &block)) return false;
      if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
        GraphicsControlBlock gcb;
        if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK)
          transparent = gcb.TransparentColor;
      }
      if (!skipRest(gif.get(), block)) return false;
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) return false;
    break;
  }
  if (DGifGetImageDesc(gif.get()) == GIF_ERROR || !frameUsable(gif.get())) return false;
  const GifImageDesc& d = gif->Image;
  const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
  const std::size_t fw = static_cast<std::size_t>(d.Width), fh = static_cast<std::size_t>(d.Height);
  std::vector<GifPixelType> frame;
  std::vector<std::uint8_t> rgb;
  try {
    frame.resize(fw * fh);
    rgb.resize(static_cast<std::size_t>(gif->SWidth) * 3);
  } catch (const std::bad_alloc&) {
    return false;
  }
  // Interlaced rows arrive in four passes.
  static constexpr int kStart[4] = {0, 4, 2, 1};
  static constexpr int kStep[4] = {8, 8, 4, 2};
  const int passes = d.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const std::size_t start = d.Interlace ? kStart[pass] : 0;
    const std::size_t step = d.Interlace ? kStep[pass] : 1;
    for (std::size_t y = start; y < fh; y += step)
      if (DGifGetLine(gif.get(), frame.data() + y * fw, d.Width) == GIF_ERROR) return false;
  }
  if (!sink.begin(gif->SWidth, gif->SHeight)) return false;
  const std::size_t left = static_cast<std::size_t>(d.Left), top = static_cast<std::size_t>(d.Top);
  for (std::size_t y = 0; y < static_cast<std::size_t>(gif->SHeight); ++y) {
    std::fill(rgb.begin(), rgb.end(), std::uint8_t{255});
    if (y >= top && y < top + fh) {
      const GifPixelType* src = frame.data() + (y - top) * fw;
      std::uint8_t* out = rgb.data() + left * 3;
      for (std::size_t x = 0; x < fw; ++x, out += 3) {
        const int index = src[x];
        if (index == transparent) continue;
        if (index < map->ColorCount) {
          out[0] = map->Colors[index].Red;
          out[1] = map->Colors[index].Green;
          out[2] = map->Colors[index].Blue;
        } else {
          out[0] = out[1] = out[2] = 0;
        }
      }
    }
    if (!sink.row(rgb.data())) return false;
  }
  return true;
}

}  // namespace dm::picture
