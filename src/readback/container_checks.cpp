#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "readback/byte_reader.h"
#include "readback/component_checks.h"
#include "readback/entry_decoder.h"
#include "readback/readback.h"
#include "textio/wide_line.h"
#include "textio/format.h"

namespace dm::readback {

std::uint16_t expectedCheckValue(std::string_view delivered);

namespace {

constexpr std::size_t kHeaderSize = 416;
constexpr std::size_t kReserve = 5120;
constexpr std::size_t kSlots = 21;
constexpr std::size_t kTailSize = 36;  // checksum and trailer

struct SlotName {
  std::uint16_t id;
  const char* name;
};
constexpr std::array<SlotName, kSlots> kSlotNames = {{
    {0x1000, "Dic.bin"},     {0x1001, "Menu.bin"},    {0x1002, "Menu2.bin"},  {0x1003, "Menu3.bin"},
    {0x1004, "Menu4.bin"},   {0x2000, "ItemAddr.bin"}, {0x0002, "Index.bin"}, {0x4000, "Font.bin"},
    {0x4001, "Icon.bin"},    {0x5000, "Bitmap.bin"},  {0x6000, "WordLib.bin"}, {0x6001, "TagRule.bin"},
    {0x3000, "Patch.bin"},   {0x3001, "Sound.bin"},   {0x3002, "ExtBmp.bin"}, {0x3003, "(unused)"},
    {0x3004, "(unused)"},    {0x3005, "(unused)"},    {0x3006, "(unused)"},   {0x3007, "(unused)"},
    {0x3008, "(unused)"},
}};

std::string hex(std::uint64_t v, int width) {
  return formatted("0x%0*llx", width, static_cast<unsigned long long>(v));
}

void add(Report& r, std::string name, bool ok, std::string detail) {
  r.checks.push_back({std::move(name), ok, std::move(detail)});
}

// The zero-terminated UTF-16LE text of `bytes`, as UTF-8.
std::string utf16leToUtf8(std::string_view bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                             (static_cast<std::uint8_t>(bytes[i + 1]) << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return utf16ToUtf8(text);
}

// Bytes held in memory.
class MemorySource : public ContainerSource {
 public:
  explicit MemorySource(std::string_view data) : data_(data) {}
  std::uint64_t size() const override { return data_.size(); }
  void read(std::uint64_t at, std::size_t n, char* out) const override {
    std::memcpy(out, data_.data() + at, n);
  }

 private:
  std::string_view data_;
};

// The `n` bytes at `at` of the work file as the writer left it: the restored
// `header` over its first bytes, the delivered bytes after it. The range
// lies inside the file.
void readWorkFile(const ContainerSource& src, const std::string& header, std::uint64_t at, std::size_t n,
                  char* out) {
  src.read(at, n, out);
  for (std::size_t i = 0; i < n && at + i < header.size(); ++i) out[i] = header[at + i];
}

std::string readWorkFile(const ContainerSource& src, const std::string& header, std::uint64_t at,
                         std::size_t n) {
  std::string out(n, '\0');
  readWorkFile(src, header, at, n, out.data());
  return out;
}

// Whether the `n` bytes at `at` of the work file lie inside it and are zero.
bool allZero(const ContainerSource& src, const std::string& header, std::uint64_t at, std::size_t n) {
  if (at > src.size() || n > src.size() - at) return false;
  const std::string bytes = readWorkFile(src, header, at, n);
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; });
}

// Window of the passes over the whole file.
constexpr std::size_t kWindow = std::size_t{1} << 20;

struct Sums {
  std::uint32_t checksum = 0;
  unsigned every = 0, at64k = 0, at128k = 0, at192k = 0;
};

// The sum of those of the `n` bytes of `w` whose file position is a
// multiple of `step`; `w` starts at file position `pos`.
unsigned sumEvery(const char* w, std::size_t n, std::uint64_t pos, std::uint64_t step) {
  unsigned sum = 0;
  for (std::uint64_t i = (pos + step - 1) / step * step; i < pos + n; i += step)
    sum += static_cast<std::uint8_t>(w[i - pos]);
  return sum;
}

// One pass over the work file: the checksum over the bytes before
// `bodyEnd` (32-bit words summed, then the buffer that holds the last word,
// its low bytes replaced by the tail bytes, added once more) and the
// trailer sums over the bytes before `trailer`.
Sums sumWorkFile(const ContainerSource& src, const std::string& header, std::uint64_t bodyEnd,
                 std::uint64_t trailer) {
  Sums s;
  const std::uint64_t words = bodyEnd / 4;
  // kWindow is a multiple of 4: every window starts at a word.
  std::vector<char> window(static_cast<std::size_t>(std::min<std::uint64_t>(kWindow, trailer)));
  for (std::uint64_t pos = 0; pos < trailer;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(window.size(), trailer - pos));
    const char* w = window.data();
    readWorkFile(src, header, pos, n, window.data());
    for (std::size_t k = 0; k < n; ++k) s.every += static_cast<std::uint8_t>(w[k]);
    s.at64k += sumEvery(w, n, pos, 0x10000);
    s.at128k += sumEvery(w, n, pos, 0x20000);
    s.at192k += sumEvery(w, n, pos, 0x30000);
    const std::size_t wordBytes =
        pos < words * 4 ? static_cast<std::size_t>(std::min<std::uint64_t>(n, words * 4 - pos)) : 0;
    for (std::size_t k = 0; k + 4 <= wordBytes; k += 4)
      s.checksum += static_cast<std::uint32_t>(static_cast<std::uint8_t>(w[k])) |
                    (static_cast<std::uint32_t>(static_cast<std::uint8_t>(w[k + 1])) << 8) |
                    (static_cast<std::uint32_t>(static_cast<std::uint8_t>(w[k + 2])) << 16) |
                    (static_cast<std::uint32_t>(static_cast<std::uint8_t>(w[k + 3])) << 24);
    pos += n;
  }
  std::array<std::uint8_t, 4> last{};
  const std::uint64_t lastFrom = words > 0 ? 4 * (words - 1) : 0;
  const std::string tail = readWorkFile(src, header, lastFrom, static_cast<std::size_t>(bodyEnd - lastFrom));
  if (words > 0)
    for (std::size_t k = 0; k < 4; ++k) last[k] = static_cast<std::uint8_t>(tail[k]);
  for (std::size_t k = 0; k < bodyEnd % 4; ++k)
    last[k] = static_cast<std::uint8_t>(tail[4 * words - lastFrom + k]);
  s.checksum += static_cast<std::uint32_t>(last[0] | (last[1] << 8) | (last[2] << 16)) |
                (static_cast<std::uint32_t>(last[3]) << 24);
  return s;
}

}  // namespace

bool Report::allOk() const {
  for (const Check& c : checks)
    if (!c.ok) return false;
  return !checks.empty();
}

Report inspectContainer(std::string_view delivered, bool withEntries) {
  return inspectContainer(MemorySource(delivered), withEntries);
}

Report inspectContainer(const ContainerSource& source, bool withEntries) {
  Report r;
  const std::uint64_t size = source.size();
  if (size < kHeaderSize + kTailSize) {
    add(r, "file size", false, std::to_string(size) + " bytes: too small for a container");
    r.notAContainer = std::to_string(size) + " bytes; a container has at least " +
                      std::to_string(kHeaderSize + kTailSize);
    return r;
  }
  add(r, "file size", true, std::to_string(size) + " bytes");

  std::string delivered(kHeaderSize, '\0');
  source.read(0, kHeaderSize, delivered.data());
  std::string tail(kTailSize, '\0');
  source.read(size - kTailSize, kTailSize, tail.data());
  const Bytes tailBytes(tail);

  const std::string_view marker = std::string_view(delivered).substr(322, 14);
  add(r, "marker", marker == "VELMOR ENCRYPT", "bytes 322-335: \"" + std::string(marker) + "\"");

  const std::uint16_t stored = static_cast<std::uint16_t>(static_cast<std::uint8_t>(delivered[350]) |
                                                          (static_cast<std::uint8_t>(delivered[351]) << 8));
  const std::uint16_t expected = expectedCheckValue(delivered);
  add(r, "check value", stored == expected, "stored " + hex(stored, 4) + ", computed " + hex(expected, 4));

  // The header of the work file as the writer left it; the rest of the
  // work file is the rest of the delivered file.
  const std::string pre = unscrambleHeader(delivered);
  const Bytes b(pre);

  const bool headerOk = b.u8(0) == 1 && b.u16(1) == kSlots && (b.u8(3) == 0 || b.u8(3) == 0x80) &&
                        b.u8(9) == 1 && b.allZero(10, 6);
  add(r, "header fields", headerOk,
      "version " + std::to_string(b.u8(0)) + ", slots " + std::to_string(b.u16(1)) + ", sound flag " +
          hex(b.u8(3), 2) + ", byte 9 " + std::to_string(b.u8(9)));
  r.description.soundFlag = b.u8(3) == 0x80;
  r.description.howToUseEntry = b.u32(4);
  r.description.hasHowToUse = b.u32(4) != 0xFFFFFFFF;
  r.description.coverFlags = b.u8(8);
  r.description.menuLocation = utf16leToUtf8(b.slice(352, 32));

  std::string magic;
  for (char c : std::string_view("MirvaUDict10")) magic += static_cast<char>(static_cast<std::uint8_t>(c) - 0x41);
  const bool magicOk = b.slice(388, 12) == magic;
  add(r, "magic", magicOk, magicOk ? "MirvaUDict10" : "wrong magic bytes");

  add(r, "total size", b.u32(384) == size,
      "header says " + std::to_string(b.u32(384)) + ", file has " + std::to_string(size));

  // The magic, the check value and the total size tell a drill container
  // from any other file (or from a piece of one); the rest of another file
  // is not worth reading as a container.
  if (!magicOk) {
    r.notAContainer = "wrong magic at bytes 388-399";
  } else if (stored != expected) {
    r.notAContainer = "wrong header check value: stored " + hex(stored, 4) + ", computed " + hex(expected, 4);
  } else if (b.u32(384) != size) {
    r.notAContainer =
        "its header gives " + std::to_string(b.u32(384)) + " bytes, the file has " + std::to_string(size);
  }
  if (!r.notAContainer.empty()) return r;

  r.description.guid = formatted("%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                                 (b.u8(400) << 24) | (b.u8(401) << 16) | (b.u8(402) << 8) | b.u8(403),
                                 (b.u8(404) << 8) | b.u8(405), (b.u8(406) << 8) | b.u8(407), b.u8(408), b.u8(409),
                                 b.u8(410), b.u8(411), b.u8(412), b.u8(413), b.u8(414), b.u8(415));

  // Directory: identifiers, contiguous images with zero reserves between.
  const std::uint64_t bodyEnd = size - kTailSize;
  bool idsOk = true, layoutOk = true, reservesOk = true, slotBytesOk = true;
  std::string layoutProblem;
  std::uint64_t expectedOffset = kHeaderSize;
  std::uint64_t previousEnd = 0;
  bool any = false;
  for (std::size_t s = 0; s < kSlots; ++s) {
    const std::size_t at = 16 + 16 * s;
    if (b.u16(at) != kSlotNames[s].id) idsOk = false;
    const std::uint32_t offset = b.u32(at + 2), length = b.u32(at + 6);
    if (offset == 0 && length == 0) {
      if (!b.allZero(at + 10, 6)) slotBytesOk = false;
      continue;
    }
    const std::uint8_t w1 = s == 5 ? 8 : s == 10 ? 3 : 0;
    const std::uint8_t w2 = s == 5 ? 4 : 0;
    if (b.u8(at + 10) != w1 || b.u8(at + 11) != w2 || !b.allZero(at + 12, 4)) slotBytesOk = false;
    if (s >= 15) {
      layoutOk = false;
      layoutProblem = "slot " + std::to_string(s) + " is never listed";
    }
    if (any && !allZero(source, pre, previousEnd, kReserve)) reservesOk = false;
    if (offset != expectedOffset && layoutOk) {
      layoutOk = false;
      layoutProblem = std::string(kSlotNames[s].name) + " at " + std::to_string(offset) + ", expected " +
                      std::to_string(expectedOffset);
    }
    if (static_cast<std::uint64_t>(offset) + length > bodyEnd && layoutOk) {
      layoutOk = false;
      layoutProblem = std::string(kSlotNames[s].name) + " runs past the end of the file";
    }
    r.description.components.push_back({static_cast<int>(s), kSlotNames[s].id, kSlotNames[s].name, offset, length});
    previousEnd = static_cast<std::uint64_t>(offset) + length;
    expectedOffset = previousEnd + kReserve;
    any = true;
  }
  if (any && previousEnd != bodyEnd && layoutOk) {
    layoutOk = false;
    layoutProblem = "the last image ends at " + std::to_string(previousEnd) + ", the checksum stands at " +
                    std::to_string(bodyEnd);
  }
  add(r, "directory identifiers", idsOk, idsOk ? "21 slots in order" : "a slot identifier is wrong");
  add(r, "directory slot widths", slotBytesOk, slotBytesOk ? "as listed" : "unexpected width bytes in a slot");
  add(r, "directory layout", layoutOk && any,
      layoutOk ? std::to_string(r.description.components.size()) + " components, each 5120 bytes apart"
               : layoutProblem);
  add(r, "reserves", reservesOk, reservesOk ? "zero" : "a reserve holds data");

  const Sums sums = sumWorkFile(source, pre, bodyEnd, size - 32);
  const std::uint32_t storedSum = tailBytes.u32(0);
  add(r, "checksum", storedSum == sums.checksum,
      "stored " + hex(storedSum, 8) + ", computed " + hex(sums.checksum, 8));

  // Trailer sums over everything before it; the trailer is the last 32
  // bytes of the tail.
  const std::size_t trailer = kTailSize - 32;
  auto sumOk = [&](std::size_t at, unsigned s) {
    return tailBytes.u16(trailer + at) == static_cast<std::uint16_t>(0xA5A5 - s);
  };
  const bool trailerSums =
      sumOk(0, sums.at64k) && sumOk(2, sums.every) && sumOk(10, sums.at128k) && sumOk(14, sums.at192k);
  add(r, "trailer sums", trailerSums, trailerSums ? "all four agree" : "a trailer sum disagrees");
  const int day = tailBytes.u8(trailer + 4), monthByte = tailBytes.u8(trailer + 5);
  const int year = tailBytes.u16(trailer + 6);
  const bool dateOk = day >= 1 && day <= 31 && monthByte <= 11 && year >= 1980 &&
                      tailBytes.u16(trailer + 8) == 0 && tailBytes.u16(trailer + 12) == 0;
  const std::string date = formatted("%04d-%02d-%02d", year, monthByte == 0 ? 12 : monthByte, day);
  r.description.buildDate = date;
  add(r, "trailer date", dateOk, date);
  bool fill = true;
  for (std::size_t i = 16; i < 32; ++i) fill = fill && tailBytes.u8(trailer + i) == 0x80;
  add(r, "trailer fill", fill, fill ? "0x80808080 x 4" : "wrong fill words");

  // The layout holds: every image lies inside the file.
  if (!layoutOk) return r;
  std::vector<std::string> images;
  images.reserve(r.description.components.size());
  std::string_view dic, wordLib, tagRule, menuImage;
  for (const Component& c : r.description.components) {
    images.push_back(readWorkFile(source, pre, c.offset, c.size));
    const std::string_view image = images.back();
    checkComponent(c, image, r);
    if (c.name == "Dic.bin") dic = image;
    if (c.name == "WordLib.bin") wordLib = image;
    if (c.name == "TagRule.bin") tagRule = image;
    if (c.name == "Menu.bin") menuImage = image;
  }

  // The drill body must decode completely, one entry per item address.
  DecodedBody body = decodeBody(dic, wordLib, tagRule);
  add(r, "drill body decodes", body.error.empty(),
      body.error.empty() ? std::to_string(body.entries.size()) + " entries" : body.error);
  if (body.error.empty()) {
    add(r, "entry count", body.entries.size() == r.description.entries,
        std::to_string(body.entries.size()) + " decoded, " + std::to_string(r.description.entries) + " addressed");
  }
  DecodedMenu menu;
  if (!menuImage.empty()) {
    menu = decodeMenu(menuImage);
    add(r, "menu decodes", menu.error.empty(),
        menu.error.empty() ? std::to_string(menu.items.size()) + " menu items" : menu.error);
  }
  if (withEntries) {
    for (std::size_t n = 0; n < body.entries.size(); ++n) {
      const DecodedEntry& e = body.entries[n];
      EntryText t;
      if (menu.error.empty())
        for (const std::u16string& c : categoryPath(menu, static_cast<std::uint32_t>(n)))
          t.categories.push_back(readableText(c));
      for (const DecodedLine& line : e.lines)
        if (!line.text.empty()) t.lines.push_back(readableText(line.text));
      r.entries.push_back(std::move(t));
    }
  }
  return r;
}

}  // namespace dm::readback
