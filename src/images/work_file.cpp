#include "images/work_file.h"

#include <cerrno>
#include <fstream>
#include <vector>

#include "platform/failure.h"
#include "platform/platform.h"

namespace dm {

std::uint32_t checked32(std::uint64_t value, std::string_view what) {
  if (value > 0xFFFFFFFFull) throw PassFailure(std::string(what) + ": value exceeds 32 bits");
  return static_cast<std::uint32_t>(value);
}

std::uint16_t checked16(std::uint64_t value, std::string_view what) {
  if (value > 0xFFFFu) throw PassFailure(std::string(what) + ": value exceeds 16 bits");
  return static_cast<std::uint16_t>(value);
}

std::string upperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::optional<std::uint64_t> regularFileSize(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  std::uint64_t size = fs::file_size(path, ec);
  if (ec) return std::nullopt;
  return size;
}

void moveIntoFolder(const fs::path& file, const fs::path& folder) {
  const fs::path target = folder / file.filename();
  std::error_code ec;
  fs::rename(file, target, ec);
  if (!ec) return;
  fs::copy_file(file, target, fs::copy_options::overwrite_existing, ec);
  if (ec) throw PassFailure("can't move file " + file.string() + " to " + folder.string() + ": " + ec.message());
  fs::remove(file, ec);
}

bool copyFileBytes(const fs::path& file, std::uint64_t size, std::ostream& out) {
  std::ifstream in(file, std::ios::binary);
  bool opened = static_cast<bool>(in);
  std::vector<char> buffer(1 << 20);
  while (size > 0 && in) {
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, buffer.size()));
    in.read(buffer.data(), static_cast<std::streamsize>(want));
    std::size_t got = static_cast<std::size_t>(in.gcount());
    out.write(buffer.data(), static_cast<std::streamsize>(got));
    size -= got;
    if (got < want) break;
  }
  if (size > 0) {
    std::fill(buffer.begin(), buffer.end(), '\0');
    while (size > 0) {
      std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, buffer.size()));
      out.write(buffer.data(), static_cast<std::streamsize>(n));
      size -= n;
    }
  }
  return opened;
}

void requireWritten(std::ostream& out, const fs::path& path) {
  if (out) out.flush();
  if (!out) throw PassFailure(platform::withSystemError("can't write file " + path.string(), errno));
}

}  // namespace dm
