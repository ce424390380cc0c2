#include "work/media_warnings.h"

#include <unistd.h>

#include "platform/platform.h"

namespace dm {

namespace {

std::string warning(const char* what, const std::filesystem::path& path, const char* failed,
                    const std::error_code& reason, const char* outcome) {
  return std::string("the ") + what + ' ' + path.string() + " could not be " + failed + " during the build (" +
         reason.message() + "); " + outcome;
}

}  // namespace

std::error_code mediaReadFailure(const std::filesystem::path& path) {
  std::error_code error;
  const int fd = platform::openRegularFile(path, error);
  if (fd >= 0) ::close(fd);
  return error;
}

std::string unreadablePictureWarning(const std::filesystem::path& path, const std::error_code& reason) {
  return warning("picture", path, "read", reason, "the default picture stands in its place");
}

std::string unreadableCoverWarning(const std::filesystem::path& path, const std::error_code& reason) {
  return warning("cover picture", path, "read", reason, "the drill has no cover picture");
}

std::string unreadableSoundWarning(const std::filesystem::path& path, const std::error_code& reason,
                                   bool reading) {
  return warning("sound", path, reading ? "read" : "copied", reason, "the drill plays nothing in its place");
}

}  // namespace dm
