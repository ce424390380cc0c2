#include "pictures/picture_library.h"

#include <fstream>
#include <system_error>
#include <vector>

#include "pictures/picture_convert.h"
#include "platform/platform.h"

namespace dm {

namespace {

// Writes `bytes` to `target` through a temporary file beside it, so that a
// failure never leaves a partial target.
bool writeWhole(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes) {
  std::filesystem::path temp = target;
  temp += ".part";
  std::error_code ec;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(temp, ec);
      return false;
    }
  }
  std::filesystem::rename(temp, target, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace

int CheckFileFormat(const std::filesystem::path& path, PictureInfo& info) {
  platform::InputFile in(path);
  if (!in.is_open()) return picture::kUnreadable;
  return picture::checkPicture(in, info);
}

int PictureZoom(const std::filesystem::path& source, const std::filesystem::path& target,
                std::int32_t width, std::int32_t height, PictureInfo& result) {
  std::error_code ec;
  // A failed conversion leaves no target behind, unless the target is the
  // source itself.
  auto fail = [&](int code) {
    if (!std::filesystem::equivalent(source, target, ec)) std::filesystem::remove(target, ec);
    return code;
  };
  try {
    std::vector<std::uint8_t> bytes;
    PictureInfo converted;
    int status;
    {
      platform::InputFile in(source);
      if (!in.is_open()) return fail(picture::kUnreadable);
      status = picture::convertPicture(in, width, height, bytes, converted);
    }
    if (status < 0) return fail(status);
    if (!writeWhole(target, bytes)) return fail(picture::kWriteFailed);
    result = converted;
    return picture::kWritten;
  } catch (const std::exception&) {
    return fail(picture::kUnreadable);
  }
}

}  // namespace dm
