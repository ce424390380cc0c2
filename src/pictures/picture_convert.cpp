#include "pictures/picture_convert.h"

#include <cstring>
#include <new>

#include "pictures/bmp_reader.h"
#include "pictures/gif_reader.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_scale.h"
#include "pictures/picture_stream.h"

namespace dm::picture {

namespace {

// Largest 1- or 4-bit BMP file copied (its pixels take at most 32 MiB).
constexpr std::int64_t kMaxCopyBytes = 256LL * 1024 * 1024;

enum class Format { kUnknown, kBmp, kJpeg, kGif };

Format sniff(std::istream& in) {
  in.clear();
  in.seekg(0, std::ios::beg);
  unsigned char magic[4] = {};
  in.read(reinterpret_cast<char*>(magic), sizeof magic);
  const std::streamsize got = in.gcount();
  in.clear();
  in.seekg(0, std::ios::beg);
  if (got >= 2 && magic[0] == 'B' && magic[1] == 'M') return Format::kBmp;
  if (got >= 3 && magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) return Format::kJpeg;
  if (got >= 4 && std::memcmp(magic, "GIF8", 4) == 0) return Format::kGif;
  return Format::kUnknown;
}

// What the structural check learned about a picture.
struct Probe {
  Format format = Format::kUnknown;
  std::int32_t kind = -1;
  std::int32_t width = 0;   // as shown: a turned JPEG has its sides swapped
  std::int32_t height = 0;
  int orientation = 1;      // JPEG: how the stored picture is turned for display
  BmpHeader bmp;
};

bool probe(std::istream& in, Probe& p) {
  p.format = sniff(in);
  switch (p.format) {
    case Format::kBmp:
      if (!readBmpHeader(in, p.bmp) || !checkBmpData(in, p.bmp)) return false;
      p.kind = p.bmp.bitsPerPixel == 1   ? kKindMonoBmp
               : p.bmp.bitsPerPixel == 4 ? kKindGreyBmp
                                         : kKindColourBmp;
      p.width = p.bmp.width;
      p.height = p.bmp.height;
      return true;
    case Format::kJpeg: {
      JpegInfo info;
      if (!probeJpeg(in, info)) return false;
      p.kind = kKindJpeg;
      p.orientation = info.orientation;
      p.width = info.turnsSides() ? info.height : info.width;
      p.height = info.turnsSides() ? info.width : info.height;
      return true;
    }
    case Format::kGif: {
      GifInfo info;
      if (!probeGif(in, info)) return false;
      p.kind = info.frames > 1 ? kKindAnimatedGif : kKindGif;
      p.width = info.width;
      p.height = info.height;
      return true;
    }
    case Format::kUnknown:
      break;
  }
  return false;
}

}  // namespace

int checkPicture(std::istream& in, PictureInfo& info) {
  try {
    Probe p;
    if (!probe(in, p)) return kNotPicture;
    info.kind = p.kind;
    if (isDirectBmpKind(p.kind)) {
      info.width = p.width;
      info.height = p.height;
    } else {
      const Size fitted = fitSize(p.width, p.height, kDeviceWidth, -1);
      info.width = fitted.width;
      info.height = fitted.height;
    }
    return kUsable;
  } catch (const std::exception&) {
    return kNotPicture;
  }
}

int convertPicture(std::istream& in, std::int32_t width, std::int32_t height,
                   std::vector<std::uint8_t>& out, PictureInfo& result) {
  out.clear();
  if (width < 1) return kBadRequest;
  try {
    Probe p;
    if (!probe(in, p)) return kUnreadable;
    if (isDirectBmpKind(p.kind)) {
      // The device reads 1- and 4-bit BMPs as they are.
      const std::int64_t size = streamSize(in);
      if (size < 0 || size > kMaxCopyBytes) return kUnreadable;
      out.resize(static_cast<std::size_t>(size));
      in.read(reinterpret_cast<char*>(out.data()), size);
      if (in.gcount() != size) return kUnreadable;
      result.kind = p.kind;
      result.width = p.width;
      result.height = p.height;
      result.fileSize = static_cast<std::int32_t>(out.size());
      return kWritten;
    }
    const Size target = fitSize(p.width, p.height, width, height);
    // A turned JPEG is scaled as stored and turned upright afterwards.
    const bool turned = p.orientation >= 5;
    const Size stored = turned ? Size{target.height, target.width} : target;
    AreaScaler scaler(stored.width, stored.height);
    bool decoded = false;
    switch (p.format) {
      case Format::kBmp:
        decoded = decodeBmp(in, p.bmp, scaler);
        break;
      case Format::kJpeg:
        decoded = decodeJpeg(in, stored.width, stored.height, scaler);
        break;
      case Format::kGif:
        decoded = decodeGif(in, scaler);
        break;
      case Format::kUnknown:
        break;
    }
    if (!decoded || !scaler.complete()) return kUnreadable;
    const std::vector<std::uint8_t> upright =
        p.orientation > 1 ? orientPicture(scaler.pixels(), stored.width, stored.height, p.orientation)
                          : std::vector<std::uint8_t>();
    const std::uint8_t* pixels = p.orientation > 1 ? upright.data() : scaler.pixels().data();
    // Colour pictures are stored as baseline JPEG at quality 90 without
    // metadata: compact, and readable by every JPEG decoder (no progressive
    // or arithmetic coding).
    if (!encodeJpeg(pixels, target.width, target.height, kJpegQuality, out)) return kUnreadable;
    result.kind = p.kind;
    result.width = target.width;
    result.height = target.height;
    result.fileSize = static_cast<std::int32_t>(out.size());
    return kWritten;
  } catch (const std::exception&) {
    out.clear();
    return kUnreadable;
  }
}

}  // namespace dm::picture
