#include "media/font_image.h"

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "images/component_converter.h"
#include "media/bitmap_tables.h"
#include "media/font_tables.h"
#include "textio/hex.h"

namespace dm {

namespace {

using font::kNone;

void put8(std::vector<char>& b, std::size_t at, std::uint8_t v) { b[at] = static_cast<char>(v); }
void put16(std::vector<char>& b, std::size_t at, std::uint32_t v) {
  put8(b, at, static_cast<std::uint8_t>(v));
  put8(b, at + 1, static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<char>& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}

fs::path bmpFolder(const WorkPaths& paths) { return paths.destin / workfiles::kBmpFolder; }

// A directory slot waiting for its value: written as 0xFFFFFFFF first and
// patched once the members are in place.
struct Patch {
  std::uint64_t position = 0;
  std::uint32_t value = kNone;
};

class FontWriter {
 public:
  FontWriter(std::fstream& file, std::ostream& log) : file_(file), log_(log) {}

  std::uint64_t offset() const { return offset_; }

  void write(const std::vector<char>& bytes) {
    file_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    offset_ += bytes.size();
  }

  // Appends `path` whole when it exists and returns its offset; kNone when it
  // does not. With `remove` set the file is deleted afterwards.
  std::uint32_t append(const fs::path& path, bool remove) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return kNone;
    const std::uint64_t at = offset_;
    std::array<char, 10240> buffer;
    while (in) {
      in.read(buffer.data(), buffer.size());
      const std::streamsize got = in.gcount();
      if (got <= 0) break;
      file_.write(buffer.data(), got);
      offset_ += static_cast<std::uint64_t>(got);
    }
    in.close();
    if (remove) {
      std::error_code ec;
      fs::remove(path, ec);
    }
    return static_cast<std::uint32_t>(at);
  }

  void appendBytes(const std::string& bytes) {
    file_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    offset_ += bytes.size();
  }

 private:
  std::fstream& file_;
  std::ostream& log_;
  std::uint64_t offset_ = 0;
};

}  // namespace

namespace font {

std::uint32_t countLines(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;
  std::uint32_t lines = 0;
  char last = '\n';
  std::array<char, 65536> buffer;
  while (in) {
    in.read(buffer.data(), buffer.size());
    const std::streamsize got = in.gcount();
    for (std::streamsize i = 0; i < got; ++i)
      if (buffer[static_cast<std::size_t>(i)] == '\n') ++lines;
    if (got > 0) last = buffer[static_cast<std::size_t>(got - 1)];
  }
  if (last != '\n') ++lines;  // a last line without its line end
  return lines;
}

std::optional<std::string> symbolTableHeader(std::istream& h, std::uint32_t codLines) {
  struct Group {
    std::vector<std::uint64_t> values;
    std::size_t digits = 0;  // most hex digits of one value
  };
  std::vector<Group> groups;
  std::string line;
  while (std::getline(h, line)) {
    std::size_t at = line.find("0x");
    if (at == std::string::npos) continue;
    Group g;
    while (at != std::string::npos) {
      std::size_t i = at + 2;
      std::uint64_t value = 0;
      std::size_t digits = 0;
      while (i < line.size() && line[i] != ',' && line[i] != '}') {
        const char c = line[i];
        const int v = hexDigitValue(c);
        if (v >= 0 && digits < 16) {
          value = value << 4 | static_cast<std::uint64_t>(v);
          ++digits;
        }
        ++i;
      }
      g.values.push_back(value);
      g.digits = std::max(g.digits, digits);
      at = line.find("0x", i);
    }
    groups.push_back(std::move(g));
  }
  auto width = [](const Group& g) { return std::min<std::size_t>(8, std::max<std::size_t>(1, (g.digits + 1) / 2)); };
  std::string out(16, '\0');
  if (!groups.empty()) {
    out[0] = static_cast<char>(width(groups[0]));
    out[1] = static_cast<char>(groups[0].values.size());
  }
  if (groups.size() > 1) out[2] = static_cast<char>(width(groups[1]));
  out[3] = static_cast<char>(bitmap::kCodeWidth - 2);
  for (int i = 0; i < 4; ++i) out[4 + static_cast<std::size_t>(i)] = static_cast<char>(codLines >> (8 * i) & 0xFF);
  out[8] = 2;
  for (const Group& g : groups) {
    const std::size_t w = width(g);
    for (std::uint64_t v : g.values)
      for (std::size_t i = 0; i < w; ++i) out.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
  }
  return out;
}

std::optional<std::string> symbolTableHeader(const fs::path& h, const fs::path& cod) {
  std::ifstream hIn(h, std::ios::binary);
  std::ifstream codIn(cod, std::ios::binary);
  if (!hIn || !codIn) return std::nullopt;
  codIn.close();
  return symbolTableHeader(hIn, countLines(cod));
}

}  // namespace font

void convertPictureTables(const WorkPaths& paths) {
  const fs::path folder = bmpFolder(paths);
  for (const char* name : workfiles::kFontPictureTables) {
    const fs::path table = folder / name;
    std::error_code ec;
    if (fs::is_regular_file(table, ec)) ConvertComponent(table, kHexNibbles);
  }
}

void writeFontDirectory(const WorkPaths& paths, ProgressSink& sink) {
  SinkLogStream out(sink);
  const fs::path target = workfiles::fontDirectoryPath(paths);
  std::error_code ec;
  fs::remove(target, ec);
  std::fstream file(target, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
  if (!file) return;

  std::vector<Patch> patches;
  // Header.
  std::vector<char> header(font::kHeaderSize, '\0');
  put8(header, 0, 1);
  put32(header, 8, kNone);
  put32(header, 12, kNone);
  put16(header, 24, 0x3000);
  put16(header, 26, 0x3000);
  put16(header, 28, 0xE000);
  put16(header, 30, 0xE000);
  put32(header, 52, kNone);
  put32(header, 56, kNone);
  // The code type list, font index and font map of the font groups: this
  // program builds no fonts, so none of them exists.
  out << "Warning: no such file [CodeType.lst]!\n";
  out << "Warning: no such file [font2.idx]!\n";
  out << "Warning: not such file [font2.map]!\n";
  for (std::size_t at : {68u, 72u, 76u}) {
    put32(header, at, kNone);
    patches.push_back({at, kNone});
  }

  // Directory: record 0 describes the pictures, records 1 to 15 stay zero.
  const fs::path folder = bmpFolder(paths);
  const fs::path info = folder / workfiles::kMergedInfo;
  const bool pictures = fs::is_regular_file(info, ec);
  std::vector<char> directory(font::kRecordCount * font::kRecordSize + font::kDirectoryGap, '\0');
  const std::size_t record = font::kHeaderSize;
  std::vector<std::size_t> groupSlots;  // positions of the slots that take members
  if (pictures) {
    put8(directory, 1, 3);
    put32(directory, 4, font::countLines(info));
    for (std::size_t at : {8u, 12u, 16u, 24u}) {
      put32(directory, at, kNone);
      patches.push_back({record + at, kNone});
    }
    for (int g = 0; g < font::kGroupCount; ++g)
      for (int s = 0; s < 3; ++s) {
        const std::size_t at = 32 + 12 * static_cast<std::size_t>(g) + 4 * static_cast<std::size_t>(s);
        const bool constantZero = s == 2 && font::groupKind(g) != font::GroupKind::kSymbol;
        if (constantZero) continue;
        put32(directory, at, kNone);
        patches.push_back({record + at, kNone});
      }
  }
  FontWriter writer(file, out);
  writer.write(header);
  writer.write(directory);

  // Members of record 0, each patched into its slot.
  if (pictures) {
    auto patch = [&](std::size_t at, std::uint32_t value) {
      for (Patch& p : patches)
        if (p.position == record + at) p.value = value;
    };
    patch(8, kNone);
    patch(12, kNone);
    patch(16, kNone);
    patch(24, writer.append(convertedPath(info), true));
    for (int g = 0; g < font::kGroupCount; ++g) {
      const std::size_t at = 32 + 12 * static_cast<std::size_t>(g);
      const std::string table = workfiles::fontGroupTable(g);
      switch (font::groupKind(g)) {
        case font::GroupKind::kEmpty:
          break;
        case font::GroupKind::kRaw:
          patch(at, writer.append(convertedPath(folder / (table + workfiles::kTableRawExt)), true));
          patch(at + 4, writer.append(convertedPath(folder / (table + workfiles::kTableAddressExt)), true));
          break;
        case font::GroupKind::kSymbol: {
          patch(at, writer.append(convertedPath(folder / (table + workfiles::kTableDataExt)), true));
          patch(at + 4, writer.append(convertedPath(folder / (table + workfiles::kTableAddressExt)), true));
          const std::optional<std::string> symbols =
              font::symbolTableHeader(folder / (table + workfiles::kTableHeaderExt),
                                      folder / (table + workfiles::kTableCodeExt));
          if (symbols) {
            patch(at + 8, static_cast<std::uint32_t>(writer.offset()));
            writer.appendBytes(*symbols);
          }
          writer.append(convertedPath(folder / (table + workfiles::kTableCodeExt)), true);
          break;
        }
      }
    }
  }

  // Patch every slot that still holds 0xFFFFFFFF.
  file.flush();
  for (const Patch& p : patches) {
    if (p.position == 0) continue;
    unsigned char bytes[4] = {};
    file.seekg(static_cast<std::streamoff>(p.position));
    file.read(reinterpret_cast<char*>(bytes), 4);
    if (!file || bytes[0] != 0xFF || bytes[1] != 0xFF || bytes[2] != 0xFF || bytes[3] != 0xFF) {
      file.clear();
      out << "Error: write address error!\n";
      continue;
    }
    const char value[4] = {static_cast<char>(p.value & 0xFF), static_cast<char>(p.value >> 8 & 0xFF),
                           static_cast<char>(p.value >> 16 & 0xFF), static_cast<char>(p.value >> 24 & 0xFF)};
    file.seekp(static_cast<std::streamoff>(p.position));
    file.write(value, 4);
  }
  file.flush();
}

void wrapFontImage(const fs::path& source, const fs::path& target, ProgressSink& sink) {
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    sink.log("Error: Can't read the [" + source.string() + "] file!");
    return;
  }
  std::ofstream image(target, std::ios::binary | std::ios::trunc);
  if (!image) return;
  const char prefix[font::kWrapperSize] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                           font::kWrapperSize, 0, 0, 0};
  image.write(prefix, sizeof prefix);
  image << in.rdbuf();
}

void buildFontImage(const WorkPaths& paths, ProgressSink& sink) {
  convertPictureTables(paths);
  writeFontDirectory(paths, sink);
  wrapFontImage(workfiles::fontDirectoryPath(paths), workfiles::fontImagePath(paths), sink);
}

}  // namespace dm
