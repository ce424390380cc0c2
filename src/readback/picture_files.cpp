// JPEG decoding (libjpeg-turbo) and PNG encoding (libpng) for the preview.
#include <png.h>

#include <csetjmp>
#include <cstdio>

#include "readback/picture_decoder.h"

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace dm::readback {

namespace {

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr info) {
  auto* err = reinterpret_cast<JpegError*>(info->err);
  (*info->err->format_message)(info, err->message);
  std::longjmp(err->jump, 1);
}

void quietJpegMessage(j_common_ptr, int) {}

// Runs the decompression; false (with `message`) when libjpeg gave up. No
// C++ object with a destructor lives across the jump.
bool runJpeg(const unsigned char* data, unsigned long size, Raster& out, std::uint64_t maxPixels, char* message) {
  jpeg_decompress_struct info{};
  JpegError err{};
  info.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = onJpegError;
  err.mgr.emit_message = quietJpegMessage;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&info);
    std::snprintf(message, JMSG_LENGTH_MAX, "%s", err.message);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, size);
  jpeg_read_header(&info, TRUE);
  if (std::uint64_t{info.image_width} * info.image_height > maxPixels) {
    jpeg_destroy_decompress(&info);
    std::snprintf(message, JMSG_LENGTH_MAX, "the picture is too large");
    return false;
  }
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  out.width = info.output_width;
  out.height = info.output_height;
  out.channels = 3;
  out.pixels.resize(std::size_t{out.width} * out.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = out.pixels.data() + std::size_t{info.output_scanline} * out.width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

void appendPng(png_structp png, png_bytep data, png_size_t n) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), n);
}
void flushPng(png_structp) {}

bool runPng(const Raster& raster, std::string& out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, appendPng, flushPng);
  png_set_IHDR(png, info, raster.width, raster.height, 8, raster.channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const std::size_t stride = std::size_t{raster.width} * static_cast<std::size_t>(raster.channels);
  for (std::uint32_t y = 0; y < raster.height; ++y)
    png_write_row(png, const_cast<png_bytep>(raster.pixels.data() + y * stride));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::optional<Raster> decodeJpeg(std::string_view file, std::string& problem) {
  Raster r;
  char message[JMSG_LENGTH_MAX] = {};
  if (file.empty() ||
      !runJpeg(reinterpret_cast<const unsigned char*>(file.data()), static_cast<unsigned long>(file.size()), r,
               kMaxDecodedPixels, message)) {
    problem = std::string("the JPEG picture does not decode: ") + (file.empty() ? "no data" : message);
    return std::nullopt;
  }
  return r;
}

std::string encodePng(const Raster& raster) {
  std::string out;
  const std::size_t expected = std::size_t{raster.width} * raster.height * static_cast<std::size_t>(raster.channels);
  if (raster.width == 0 || raster.height == 0 || (raster.channels != 1 && raster.channels != 3) ||
      raster.pixels.size() != expected || !runPng(raster, out))
    return {};
  return out;
}

}  // namespace dm::readback
