#include "textio/pass_io.h"

#include <cerrno>

#include "platform/failure.h"
#include "platform/platform.h"

namespace dm {

std::ifstream openPassInput(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PassFailure(platform::withSystemError("can't open file " + path.string(), errno));
  return in;
}

std::ofstream openPassOutput(const std::filesystem::path& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure(platform::withSystemError("can't open file " + path.string(), errno));
  return out;
}

void closePassOutput(std::ofstream& out, const std::filesystem::path& path) {
  out.flush();
  bool ok = static_cast<bool>(out);
  int err = ok ? 0 : errno;
  out.close();
  if (ok && out.fail()) err = errno;
  if (!ok || out.fail()) throw PassFailure(platform::withSystemError("can't write file " + path.string(), err));
}

}  // namespace dm
