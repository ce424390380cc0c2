// The picture library on arbitrary bytes: recognition, then conversion.
#include "fuzz_util.h"
#include "pictures/picture_library.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto source = dm::fuzz::writeScratch("in.pic", std::string_view(reinterpret_cast<const char*>(data), size));
  dm::PictureInfo info;
  if (dm::CheckFileFormat(source, info) >= 1) {
    dm::PictureInfo result;
    dm::PictureZoom(source, dm::fuzz::scratch() / "out.pic", 800, size % 2 ? 430 : -1, result);
  }
  return 0;
}
