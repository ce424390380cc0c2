#include "pictures/jpeg_codec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

#include "pictures/picture_stream.h"

namespace dm::picture {

namespace {

// Memory libjpeg may take for one picture (progressive coefficient buffers
// of the largest allowed picture fit in it).
constexpr long kMaxJpegMemory = 512L * 1024 * 1024;
constexpr std::size_t kSourceBufferSize = 64 * 1024;

// The marker walk ------------------------------------------------------------

constexpr int kSof0 = 0xC0, kSof1 = 0xC1, kSof2 = 0xC2, kDht = 0xC4, kDac = 0xCC;
constexpr int kApp1 = 0xE1, kSos = 0xDA, kSoi = 0xD8, kEoi = 0xD9, kTem = 0x01;

bool isRestart(int m) { return m >= 0xD0 && m <= 0xD7; }

// The code of the next marker; bytes before it that are not a marker are
// skipped, as decoders do. -1 at the end of the data.
int nextMarker(ByteReader& r) {
  int b = r.next();
  while (b >= 0) {
    if (b == 0xFF) {
      do b = r.next(); while (b == 0xFF);
      if (b > 0) return b;  // FF 00 is no marker
      if (b < 0) return -1;
    }
    b = r.next();
  }
  return -1;
}

// Skips entropy-coded data; returns the marker that ends it, -1 at the end.
int skipEntropyData(ByteReader& r) {
  for (;;) {
    int b = r.next();
    if (b < 0) return -1;
    if (b != 0xFF) continue;
    do b = r.next(); while (b == 0xFF);
    if (b < 0) return -1;
    if (b == 0 || isRestart(b)) continue;
    return b;
  }
}

// The orientation tag of the first image directory of an EXIF block (the
// TIFF structure after "Exif\0\0"); 1 when absent or out of range.
int exifOrientation(const std::uint8_t* tiff, std::size_t size) {
  if (size < 8) return 1;
  const bool little = tiff[0] == 'I' && tiff[1] == 'I';
  if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) return 1;
  auto u16 = [&](std::size_t at) {
    return little ? tiff[at] | (tiff[at + 1] << 8) : (tiff[at] << 8) | tiff[at + 1];
  };
  auto u32 = [&](std::size_t at) {
    return little ? static_cast<std::uint32_t>(u16(at)) | (static_cast<std::uint32_t>(u16(at + 2)) << 16)
                  : (static_cast<std::uint32_t>(u16(at)) << 16) | static_cast<std::uint32_t>(u16(at + 2));
  };
  if (u16(2) != 42) return 1;
  const std::size_t directory = u32(4);
  if (directory > size - 2) return 1;
  const std::size_t entries = static_cast<std::size_t>(u16(directory));
  for (std::size_t i = 0; i < entries; ++i) {
    const std::size_t at = directory + 2 + 12 * i;
    if (at > size - 12) break;
    if (u16(at) != 0x0112) continue;
    const int value = u16(at + 8);
    return u16(at + 2) == 3 && u32(at + 4) >= 1 && value >= 1 && value <= 8 ? value : 1;
  }
  return 1;
}

// Every 8x8 block of every component costs at least one bit of entropy-coded
// data (its DC difference), so a frame of this size needs at least this many
// bits; a file with less data lies about its size. -1 for bad sampling
// factors.
std::int64_t leastEntropyBits(std::int64_t width, std::int64_t height, const std::uint8_t* spec,
                              int components) {
  int hMax = 1, vMax = 1;
  for (int c = 0; c < components; ++c) {
    const int h = spec[3 * c + 1] >> 4, v = spec[3 * c + 1] & 0x0F;
    if (h < 1 || h > 4 || v < 1 || v > 4) return -1;
    hMax = std::max(hMax, h);
    vMax = std::max(vMax, v);
  }
  std::int64_t blocks = 0;
  for (int c = 0; c < components; ++c) {
    const std::int64_t h = spec[3 * c + 1] >> 4, v = spec[3 * c + 1] & 0x0F;
    const std::int64_t cw = (width * h + hMax - 1) / hMax, ch = (height * v + vMax - 1) / vMax;
    blocks += ((cw + 7) / 8) * ((ch + 7) / 8);
  }
  return blocks;
}

bool walkMarkers(std::istream& in, JpegInfo& info) {
  const std::int64_t size = streamSize(in);
  if (size < 4) return false;
  ByteReader r(in, 0, size);
  if (r.next() != 0xFF || r.next() != kSoi) return false;
  bool frameSeen = false;
  int scans = 0;
  std::int64_t minDataBits = 0;  // the least entropy-coded data the frame needs
  std::int64_t dataBytes = 0;
  bool exifSeen = false;
  int marker = nextMarker(r);
  for (;;) {
    if (marker < 0 || marker == kSoi) return false;
    if (marker == kEoi) return frameSeen && scans > 0 && dataBytes * 8 >= minDataBits;
    if (isRestart(marker) || marker == kTem) {
      marker = nextMarker(r);
      continue;
    }
    const int hi = r.next(), lo = r.next();
    if (hi < 0 || lo < 0) return false;
    const int length = (hi << 8) | lo;
    if (length < 2) return false;
    if (marker == kSof0 || marker == kSof1 || marker == kSof2) {
      std::uint8_t sof[6];
      if (frameSeen || length < 8 || !r.read(sof, sizeof sof)) return false;
      const int precision = sof[0];
      const std::int32_t height = (sof[1] << 8) | sof[2];
      const std::int32_t width = (sof[3] << 8) | sof[4];
      const int components = sof[5];
      if (precision != 8 || !sizeAllowed(width, height)) return false;
      if (components != 1 && components != 3 && components != 4) return false;
      if (length != 8 + 3 * components) return false;
      std::uint8_t spec[12];
      if (!r.read(spec, static_cast<std::size_t>(3 * components))) return false;
      minDataBits = leastEntropyBits(width, height, spec, components);
      if (minDataBits < 0) return false;
      info.width = width;
      info.height = height;
      info.progressive = marker == kSof2;
      frameSeen = true;
      marker = nextMarker(r);
    } else if (marker >= 0xC0 && marker <= 0xCF && marker != kDht && marker != kDac) {
      return false;  // lossless, hierarchical and arithmetic-coded frames
    } else if (marker == kApp1 && !exifSeen && length >= 16) {
      std::vector<std::uint8_t> exif(static_cast<std::size_t>(length - 2));
      if (!r.read(exif.data(), exif.size())) return false;
      if (std::memcmp(exif.data(), "Exif\0\0", 6) == 0) {
        exifSeen = true;
        info.orientation = exifOrientation(exif.data() + 6, exif.size() - 6);
      }
      marker = nextMarker(r);
    } else if (marker == kSos) {
      if (!frameSeen || ++scans > kMaxJpegScans || !r.skip(length - 2)) return false;
      const std::int64_t start = r.offset();
      marker = skipEntropyData(r);
      dataBytes += r.offset() - start;
    } else {
      if (!r.skip(length - 2)) return false;
      marker = nextMarker(r);
    }
  }
}

// libjpeg plumbing --------------------------------------------------------------
// The functions that call setjmp hold no objects with destructors: libjpeg
// errors longjmp out of them.

struct ErrorTrap {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  bool truncated;
};

[[noreturn]] void trapError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorTrap*>(cinfo->err)->jump, 1);
}

void trapMessage(j_common_ptr cinfo, int level) {
  // Warnings are tolerated, except those that say the data ended early.
  if (level < 0 && (cinfo->err->msg_code == JWRN_JPEG_EOF || cinfo->err->msg_code == JWRN_HIT_MARKER))
    reinterpret_cast<ErrorTrap*>(cinfo->err)->truncated = true;
}

void silentOutput(j_common_ptr) {}

void installTrap(ErrorTrap& trap) {
  jpeg_std_error(&trap.pub);
  trap.pub.error_exit = trapError;
  trap.pub.emit_message = trapMessage;
  trap.pub.output_message = silentOutput;
  trap.truncated = false;
}

void limitScans(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
    cinfo->err->msg_code = JERR_NOTIMPL;
    cinfo->err->error_exit(cinfo);
  }
}

struct StreamSource {
  jpeg_source_mgr pub;
  std::istream* in;
  JOCTET buffer[kSourceBufferSize];
};

void initSource(j_decompress_ptr) {}

boolean fillSource(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  src->in->read(reinterpret_cast<char*>(src->buffer), kSourceBufferSize);
  std::size_t got = static_cast<std::size_t>(src->in->gcount());
  if (got == 0) {
    // Hand libjpeg an end marker so that it stops; the warning marks the
    // data as truncated.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    got = 2;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = got;
  return TRUE;
}

void skipSource(j_decompress_ptr cinfo, long count) {
  auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
  while (count > static_cast<long>(src->pub.bytes_in_buffer)) {
    count -= static_cast<long>(src->pub.bytes_in_buffer);
    fillSource(cinfo);
  }
  if (count > 0) {
    src->pub.next_input_byte += count;
    src->pub.bytes_in_buffer -= static_cast<std::size_t>(count);
  }
}

void termSource(j_decompress_ptr) {}

void attachSource(j_decompress_ptr cinfo, StreamSource* src, std::istream* in) {
  src->pub.init_source = initSource;
  src->pub.fill_input_buffer = fillSource;
  src->pub.skip_input_data = skipSource;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = termSource;
  src->pub.next_input_byte = nullptr;
  src->pub.bytes_in_buffer = 0;
  src->in = in;
  cinfo->src = &src->pub;
}

bool supportedColourSpace(J_COLOR_SPACE space) {
  return space == JCS_GRAYSCALE || space == JCS_YCbCr || space == JCS_RGB ||
         space == JCS_CMYK || space == JCS_YCCK;
}

// Reads the header through libjpeg (tables included).
bool readHeader(std::istream* in, StreamSource* src) {
  jpeg_decompress_struct cinfo;
  ErrorTrap trap;
  installTrap(trap);
  cinfo.err = &trap.pub;
  if (setjmp(trap.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  attachSource(&cinfo, src, in);
  const bool ok = jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK && !trap.truncated &&
                  sizeAllowed(cinfo.image_width, cinfo.image_height) &&
                  supportedColourSpace(cinfo.jpeg_color_space);
  jpeg_destroy_decompress(&cinfo);
  return ok;
}

// The smallest scale in eighths that keeps at least min pixels of size.
unsigned pickScale(JDIMENSION size, std::int32_t min) {
  if (min <= 0) return 8;
  for (unsigned num = 1; num < 8; ++num)
    if ((static_cast<std::uint64_t>(size) * num + 7) / 8 >= static_cast<std::uint64_t>(min))
      return num;
  return 8;
}

bool runDecode(std::istream* in, StreamSource* src, std::int32_t minWidth, std::int32_t minHeight,
               RowSink* sink) {
  jpeg_decompress_struct cinfo;
  ErrorTrap trap;
  jpeg_progress_mgr progress;
  installTrap(trap);
  cinfo.err = &trap.pub;
  if (setjmp(trap.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxJpegMemory;
  progress.progress_monitor = limitScans;
  cinfo.progress = &progress;
  attachSource(&cinfo, src, in);
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK ||
      !sizeAllowed(cinfo.image_width, cinfo.image_height) ||
      !supportedColourSpace(cinfo.jpeg_color_space)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  const unsigned num = std::max(pickScale(cinfo.image_width, minWidth),
                                pickScale(cinfo.image_height, minHeight));
  cinfo.scale_num = num;
  cinfo.scale_denom = 8;
  jpeg_start_decompress(&cinfo);
  const JDIMENSION width = cinfo.output_width;
  const int channels = cinfo.output_components;
  JSAMPARRAY line = cinfo.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                            width * static_cast<JDIMENSION>(channels), 1);
  JSAMPARRAY rgb = cinfo.mem->alloc_sarray(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                           width * 3, 1);
  // Adobe writes CMYK inverted (0 is full ink).
  const bool inverted = cinfo.saw_Adobe_marker;
  bool ok = !trap.truncated && sink->begin(static_cast<std::int32_t>(width),
                                           static_cast<std::int32_t>(cinfo.output_height));
  while (ok && cinfo.output_scanline < cinfo.output_height) {
    if (jpeg_read_scanlines(&cinfo, line, 1) != 1 || trap.truncated) {
      ok = false;
      break;
    }
    JSAMPROW out = line[0];
    if (cmyk) {
      for (JDIMENSION x = 0; x < width; ++x) {
        const JSAMPLE* p = line[0] + 4 * x;
        const int k = inverted ? p[3] : 255 - p[3];
        for (int c = 0; c < 3; ++c) {
          const int ink = inverted ? p[c] : 255 - p[c];
          rgb[0][3 * x + c] = static_cast<JSAMPLE>(ink * k / 255);
        }
      }
      out = rgb[0];
    }
    ok = sink->row(out);
  }
  jpeg_destroy_decompress(&cinfo);
  return ok;
}

// Destination that collects the encoded bytes in a malloc'd block, so that
// nothing with a destructor lives across libjpeg's error jumps.
struct MemoryDestination {
  jpeg_destination_mgr pub;
  unsigned char* data;
  std::size_t capacity;
};

constexpr std::size_t kDestinationStep = 64 * 1024;

void initDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<MemoryDestination*>(cinfo->dest);
  dest->data = static_cast<unsigned char*>(std::malloc(kDestinationStep));
  if (!dest->data) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  dest->capacity = kDestinationStep;
  dest->pub.next_output_byte = dest->data;
  dest->pub.free_in_buffer = dest->capacity;
}

boolean growDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<MemoryDestination*>(cinfo->dest);
  const std::size_t used = dest->capacity;  // called only when the block is full
  auto* grown = static_cast<unsigned char*>(std::realloc(dest->data, dest->capacity * 2));
  if (!grown) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
  dest->data = grown;
  dest->capacity *= 2;
  dest->pub.next_output_byte = dest->data + used;
  dest->pub.free_in_buffer = dest->capacity - used;
  return TRUE;
}

void termDestination(j_compress_ptr) {}

bool runEncode(const std::uint8_t* pixels, std::int32_t width, std::int32_t height, int quality,
               MemoryDestination* dest) {
  jpeg_compress_struct cinfo;
  ErrorTrap trap;
  installTrap(trap);
  cinfo.err = &trap.pub;
  if (setjmp(trap.jump)) {
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  dest->pub.init_destination = initDestination;
  dest->pub.empty_output_buffer = growDestination;
  dest->pub.term_destination = termDestination;
  cinfo.dest = &dest->pub;
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.optimize_coding = FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels + static_cast<std::size_t>(cinfo.next_scanline) *
                                                     static_cast<std::size_t>(width) * 3);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

bool probeJpeg(std::istream& in, JpegInfo& info) {
  info = JpegInfo{};
  if (!walkMarkers(in, info)) return false;
  in.clear();
  in.seekg(0, std::ios::beg);
  std::unique_ptr<StreamSource> src(new (std::nothrow) StreamSource);
  return src && in && readHeader(&in, src.get());
}

bool decodeJpeg(std::istream& in, std::int32_t minWidth, std::int32_t minHeight, RowSink& sink) {
  in.clear();
  in.seekg(0, std::ios::beg);
  if (!in) return false;
  std::unique_ptr<StreamSource> src(new (std::nothrow) StreamSource);
  if (!src) return false;
  return runDecode(&in, src.get(), minWidth, minHeight, &sink);
}

bool encodeJpeg(const std::uint8_t* rgb, std::int32_t width, std::int32_t height, int quality,
                std::vector<std::uint8_t>& out) {
  out.clear();
  if (width < 1 || height < 1 || width > 65500 || height > 65500) return false;
  MemoryDestination dest{};
  bool ok = runEncode(rgb, width, height, quality, &dest);
  if (ok && dest.data) {
    const std::size_t size = dest.capacity - dest.pub.free_in_buffer;
    try {
      out.assign(dest.data, dest.data + size);
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  std::free(dest.data);
  return ok && !out.empty();
}

}  // namespace dm::picture
