#include "media/bitmap_ext_image.h"

#include <array>
#include <cerrno>
#include <fstream>
#include <optional>

#include "images/component_converter.h"
#include "platform/failure.h"
#include "platform/platform.h"

namespace dm {

namespace {

constexpr std::uint32_t kHeaderSize = 138;
constexpr int kMemberSlots = 4;

void put8(std::ostream& out, std::uint8_t v) { out.put(static_cast<char>(v)); }
void put16(std::ostream& out, std::uint32_t v) {
  put8(out, static_cast<std::uint8_t>(v));
  put8(out, static_cast<std::uint8_t>(v >> 8));
}
void put32(std::ostream& out, std::uint64_t v) {
  put16(out, static_cast<std::uint32_t>(v & 0xFFFF));
  put16(out, static_cast<std::uint32_t>(v >> 16 & 0xFFFF));
}
void zeros(std::ostream& out, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) out.put('\0');
}

struct Member {
  fs::path converted;  // empty when the member cannot be read
  std::uint64_t size = 0;
};

Member convert(const fs::path& path, int kind, ProgressSink& sink) {
  Member m;
  std::optional<ComponentResult> r = ConvertComponent(path, kind);
  if (!r) {
    sink.log("No such file! " + path.string());
    return m;
  }
  m.converted = convertedPath(path);
  m.size = r->size;
  return m;
}

}  // namespace

void buildExtBmpImage(const WorkPaths& paths, ProgressSink& sink) {
  const fs::path folder = paths.destin / workfiles::kBmpExtFolder;
  std::array<Member, 2> members = {convert(folder / workfiles::kColourAddressTable, kHexNibbles, sink),
                                   convert(folder / workfiles::kColourData, kBinaryCopy, sink)};
  const fs::path target = workfiles::extBmpImagePath(paths);
  std::ofstream image(target, std::ios::binary | std::ios::trunc);
  if (!image) throw PassFailure(platform::withSystemError("can't open file " + target.string() + "\n", errno));

  put8(image, 0);
  put16(image, 6);
  put16(image, 6);
  put8(image, 4);
  zeros(image, 20);
  std::uint64_t offset = kHeaderSize;
  for (const Member& m : members) {
    put32(image, offset);
    put32(image, m.size);
    offset += m.size;
  }
  zeros(image, 8 * (kMemberSlots - members.size()));
  zeros(image, 80);

  std::array<char, 10240> buffer;
  for (Member& m : members) {
    if (m.converted.empty()) continue;
    std::ifstream in(m.converted, std::ios::binary);
    std::uint64_t left = m.size;
    while (left > 0 && in) {
      in.read(buffer.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(left, buffer.size())));
      const auto got = static_cast<std::uint64_t>(in.gcount());
      if (got == 0) break;
      image.write(buffer.data(), static_cast<std::streamsize>(got));
      left -= got;
    }
    zeros(image, left);  // keeps the directory true if the copy shrank meanwhile
    in.close();
    std::error_code ec;
    fs::remove(m.converted, ec);
  }
  zeros(image, 8 * (kMemberSlots - members.size()));
  if (!image.flush()) throw PassFailure(platform::withSystemError("can't write file " + target.string() + "\n", errno));
}

}  // namespace dm
