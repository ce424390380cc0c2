#include "readback/component_checks.h"

#include <string>

#include "readback/byte_reader.h"

namespace dm::readback {

namespace {

// The result of one component check: ok, or the first problem found.
struct Verdict {
  bool ok = true;
  std::string detail;
  void fail(std::string why) {
    if (ok) detail = std::move(why);
    ok = false;
  }
};

Verdict checkIndex(Bytes b) {
  Verdict v;
  if (b.size() != 80) {
    v.fail("size " + std::to_string(b.size()) + ", expected 80");
    return v;
  }
  if (b.u16(0) != 0) v.fail("member count is not 0");
  for (int k = 0; k < 33; ++k)
    if (b.u16(2 + 2 * k) != 0xFFFF) v.fail("kind slot " + std::to_string(k) + " is not 0xFFFF");
  if (!b.allZero(68, 6)) v.fail("bytes 68-73 are not zero");
  if (b.u8(74) != 1 || b.u8(75) != 0 || b.u8(76) != 3 || b.u8(77) != 0 || !b.allZero(78, 2))
    v.fail("settings bytes are not 1, 0, 3, 0, 0, 0");
  if (v.ok) v.detail = "80 bytes, no index members";
  return v;
}

Verdict checkItemAddr(Bytes b, Report& r) {
  Verdict v;
  if (b.size() < 202) {
    v.fail("size " + std::to_string(b.size()) + ", smaller than its 202-byte header");
    return v;
  }
  if (b.u8(0) != 8 || b.u8(1) != 4) v.fail("link and sub-number widths are not 8 and 4");
  if (b.u16(11) != 8) v.fail("entry number width is not 8");
  if (!b.allZero(30, 20) || !b.allZero(122, 80)) v.fail("reserved bytes are not zero");
  std::uint32_t next = 202;
  int members = 0;
  for (int s = 0; s < 9; ++s) {
    const std::uint32_t off = b.u32(50 + 8 * s), size = b.u32(54 + 8 * s);
    if (off == 0 && size == 0) continue;
    ++members;
    if (off != next) v.fail("member " + std::to_string(s) + " at " + std::to_string(off) + ", expected " +
                            std::to_string(next));
    next = off + size;
  }
  if (next != b.size()) v.fail("members end at " + std::to_string(next) + ", image has " + std::to_string(b.size()));
  r.description.entries = b.u32(7);
  if (v.ok) v.detail = std::to_string(members) + " members, " + std::to_string(b.u32(7)) + " entries";
  return v;
}

Verdict checkDic(Bytes b) {
  Verdict v;
  if (b.size() < 88) {
    v.fail("size " + std::to_string(b.size()) + ", smaller than its 88-byte header");
    return v;
  }
  const std::uint32_t off = b.u32(0), size = b.u32(4);
  const bool empty = off == 0 && size == 0 && b.size() == 88;
  if (!empty && !(off == 88 && size == b.size() - 88)) v.fail("text offset and size do not match the image");
  if (!b.allZero(8, 80)) v.fail("bytes 8-87 are not zero");
  if (v.ok) v.detail = empty ? "empty text" : std::to_string(size) + " bytes of packed text";
  return v;
}

Verdict checkWordLib(Bytes b) {
  Verdict v;
  if (b.size() < 66) {
    v.fail("size " + std::to_string(b.size()) + ", smaller than its header");
    return v;
  }
  static const int kElementBytes[4] = {1, 4, 1, 4};
  std::size_t next = 64;
  std::uint16_t libraries = b.u16(8);
  for (int t = 0; t < 4; ++t) {
    const std::size_t d = 16 * t;
    const std::uint32_t off = b.u32(d), size = b.u32(d + 4);
    const std::uint16_t rows = b.u16(d + 8);
    if (b.u8(d + 10) != kElementBytes[t]) v.fail("table " + std::to_string(t) + " has the wrong element size");
    if (size != static_cast<std::uint32_t>(rows) * b.u8(d + 10) * b.u8(d + 11))
      v.fail("table " + std::to_string(t) + " size is not rows x row size");
    if (off != next) v.fail("table " + std::to_string(t) + " does not follow the previous one");
    if (!b.allZero(d + 12, 4)) v.fail("descriptor " + std::to_string(t) + " tail is not zero");
    next = static_cast<std::size_t>(off) + size;
  }
  if (!b.has(next, 2) || b.u8(next) != 6 || b.u8(next + 1) != 20) {
    v.fail("the bytes after the tables are not 6 and 20");
    return v;
  }
  std::size_t dir = next + 2;
  std::size_t data = dir + 32 * static_cast<std::size_t>(libraries);
  if (!b.has(dir, 32 * static_cast<std::size_t>(libraries))) {
    v.fail("the library directory runs past the image");
    return v;
  }
  for (std::size_t l = 0; l < libraries; ++l) {
    for (int part = 0; part < 3; ++part) {
      const std::uint32_t off = b.u32(dir + 32 * l + 8 + 8 * part), size = b.u32(dir + 32 * l + 12 + 8 * part);
      if (off == 0 && size == 0) continue;
      if (off != data) v.fail("library " + std::to_string(l) + " data is not packed in order");
      data = static_cast<std::size_t>(off) + size;
    }
  }
  if (data != b.size()) v.fail("library data ends at " + std::to_string(data) + ", image has " + std::to_string(b.size()));
  if (v.ok) v.detail = std::to_string(libraries) + " word libraries";
  return v;
}

Verdict checkTagRule(Bytes b) {
  Verdict v;
  if (b.size() < 16) {
    v.fail("smaller than its 16-byte header");
    return v;
  }
  const std::size_t tags = b.u16(0);
  if (!b.allZero(2, 14)) v.fail("header bytes 2-15 are not zero");
  if (b.size() < 16 + 4 * tags) {
    v.fail("the tag records run past the image");
    return v;
  }
  for (std::size_t t = 0; t < tags; ++t)
    if (b.u16(16 + 4 * t) != 0xFFFF) v.fail("tag record " + std::to_string(t) + " does not begin with 0xFFFF");
  const std::size_t rules = b.size() - 16 - 4 * tags;
  if (rules % 8 != 0 || (rules != 0 && rules / 8 != tags)) v.fail("the tag rules are not one per tag");
  if (v.ok) v.detail = std::to_string(tags) + " tags, " + std::to_string(rules / 8) + " rules";
  return v;
}

Verdict checkMenu(Bytes b) {
  Verdict v;
  if (b.size() < 16) {
    v.fail("smaller than the tag rule header it begins with");
    return v;
  }
  // The menu's own tag rule image (no rules), then the word library tables.
  const std::size_t t = 16 + 4 * static_cast<std::size_t>(b.u16(0));
  if (!b.has(t, 64)) {
    v.fail("the table descriptors run past the image");
    return v;
  }
  std::size_t next = t + 64;
  for (int k = 0; k < 4; ++k) {
    const std::size_t d = t + 16 * k;
    if (b.u32(d) != next) v.fail("table " + std::to_string(k) + " does not follow the previous one");
    next = static_cast<std::size_t>(b.u32(d)) + b.u32(d + 4);
  }
  const std::size_t libraries = b.u16(t + 8);
  const std::size_t params = next;
  if (!b.has(params, 88)) {
    v.fail("the parameter block runs past the image");
    return v;
  }
  if (b.u8(params) != 6 || b.u8(params + 1) != 20) v.fail("the parameter block does not begin with 6 and 20");
  if (b.u8(params + 2) != 1 || b.u8(params + 3) != 1 || b.u8(params + 4) != 8 || b.u8(params + 5) != 8)
    v.fail("menu widths are not 1, 1, 8 and 8");
  const std::uint32_t items = b.u32(params + 6);
  const std::size_t counts = params + 88;
  const std::size_t directory = counts + 8 * libraries;
  const std::size_t libraryDirectory = directory + 30 * 8;
  std::size_t data = libraryDirectory + 24 * libraries;
  if (!b.has(directory, data - directory)) {
    v.fail("the directories run past the image");
    return v;
  }
  int filled = 0;
  for (int slot = 0; slot < 30; ++slot) {
    const std::uint32_t off = b.u32(directory + 8 * slot), size = b.u32(directory + 8 * slot + 4);
    if (off == 0 && size == 0) continue;
    ++filled;
    if (off != data) v.fail("component slot " + std::to_string(slot) + " is not packed in order");
    data = static_cast<std::size_t>(off) + size;
  }
  for (std::size_t l = 0; l < libraries; ++l) {
    for (int part = 0; part < 3; ++part) {
      const std::uint32_t off = b.u32(libraryDirectory + 24 * l + 8 * part);
      const std::uint32_t size = b.u32(libraryDirectory + 24 * l + 8 * part + 4);
      if (off == 0 && size == 0) continue;
      if (off != data) v.fail("library " + std::to_string(l) + " data is not packed in order");
      data = static_cast<std::size_t>(off) + size;
    }
  }
  if (data != b.size()) v.fail("the data ends at " + std::to_string(data) + ", image has " + std::to_string(b.size()));
  if (v.ok) v.detail = std::to_string(items) + " menu items, " + std::to_string(filled) + " components";
  return v;
}

Verdict checkFont(Bytes b, Report& r) {
  Verdict v;
  constexpr std::size_t kPrefix = 29, kMembers = 3060;
  if (b.size() < kPrefix + kMembers) {
    v.fail("smaller than its fixed header and directory");
    return v;
  }
  if (!b.allZero(0, 25) || b.u32(25) != 29) v.fail("the 29-byte prefix is wrong");
  const std::size_t f = kPrefix;
  const std::size_t font2 = b.size() - kPrefix;
  if (b.u8(f) != 1 || b.u32(f + 8) != 0xFFFFFFFF || b.u32(f + 12) != 0xFFFFFFFF || b.u16(f + 24) != 0x3000 ||
      b.u16(f + 26) != 0x3000 || b.u16(f + 28) != 0xE000 || b.u16(f + 30) != 0xE000 ||
      b.u32(f + 52) != 0xFFFFFFFF || b.u32(f + 56) != 0xFFFFFFFF)
    v.fail("the font header constants are wrong");
  const std::size_t record = f + 164;
  const std::uint32_t pictures = b.u32(record + 4);
  if (b.u8(record + 1) != 3) v.fail("the picture record kind is not 3");
  for (std::size_t k = 0; k < 37; ++k) {
    const std::size_t slot = k == 0 ? 24 : 32 + 4 * (k - 1);
    const std::uint32_t off = b.u32(record + slot);
    if (off != 0 && off != 0xFFFFFFFF && (off < kMembers || off >= font2))
      v.fail("a picture table slot points outside the image");
  }
  for (int rec = 1; rec < 16; ++rec)
    if (!b.allZero(record + 176 * rec, 176)) v.fail("font size record " + std::to_string(rec) + " is not empty");
  if (!b.allZero(f + 2980, 80)) v.fail("the gap after the directory is not zero");
  r.description.pictures += pictures;
  if (v.ok) v.detail = std::to_string(pictures) + " picture numbers";
  return v;
}

std::uint32_t be32(Bytes b, std::size_t at) {
  return (static_cast<std::uint32_t>(b.u8(at)) << 24) | (b.u8(at + 1) << 16) | (b.u8(at + 2) << 8) | b.u8(at + 3);
}

Verdict checkSound(Bytes b, Report& r) {
  Verdict v;
  if (b.size() < 8 + 32) {
    v.fail("smaller than its header and tail");
    return v;
  }
  const std::uint32_t n = be32(b, 0);
  const std::uint32_t total = be32(b, 4);
  if (total != b.size() - 32) {
    // Nothing after it can be trusted, and the sums below would walk `total`
    // bytes however small the image is.
    v.fail("the total size says " + std::to_string(total));
    return v;
  }
  if (static_cast<std::uint64_t>(n) * 8 + 8 > total) {
    v.fail("the directory runs past the data");
    return v;
  }
  std::uint64_t next = 8 + 8ULL * n;
  std::uint32_t present = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t off = be32(b, 8 + 8 * i), size = be32(b, 12 + 8 * i);
    if (off != next) v.fail("sound " + std::to_string(i) + " is not packed in order");
    next = static_cast<std::uint64_t>(off) + size;
    present += size ? 1 : 0;
  }
  if (next != total) v.fail("the sound data ends at " + std::to_string(next));
  std::int64_t sum = 0;
  for (std::size_t i = 0; i < total; ++i) sum += static_cast<std::int8_t>(b.u8(i));
  const std::uint16_t check = static_cast<std::uint16_t>((b.u8(total) << 8) | b.u8(total + 1));
  if (check != static_cast<std::uint16_t>((0x1A5A5 - sum) & 0xFFFF)) v.fail("the check value disagrees");
  auto bcd = [](std::uint8_t x) { return (x >> 4) <= 9 && (x & 15) <= 9; };
  for (int k = 2; k < 6; ++k)
    if (!bcd(b.u8(total + k))) v.fail("the date is not in BCD");
  if (!b.allZero(total + 6, 26)) v.fail("the 26 closing bytes are not zero");
  r.description.sounds = n;
  if (v.ok) v.detail = std::to_string(n) + " sounds, " + std::to_string(present) + " with data";
  return v;
}

Verdict checkExtBmp(Bytes b) {
  Verdict v;
  if (b.size() < 138) {
    v.fail("smaller than its 138-byte header");
    return v;
  }
  if (b.u8(0) != 0 || b.u16(1) != 6 || b.u16(3) != 6 || b.u8(5) != 4 || !b.allZero(6, 20) || !b.allZero(58, 80))
    v.fail("the header constants are wrong");
  std::uint64_t next = 138;
  int unused = 0;
  for (int m = 0; m < 4; ++m) {
    const std::uint32_t off = b.u32(26 + 8 * m), size = b.u32(30 + 8 * m);
    if (off == 0 && size == 0) {
      ++unused;
      continue;
    }
    if (off != next) v.fail("member " + std::to_string(m + 1) + " is not packed in order");
    next = static_cast<std::uint64_t>(off) + size;
  }
  if (next + 8ULL * unused != b.size() || !b.allZero(static_cast<std::size_t>(next), 8 * unused))
    v.fail("the image does not end with 8 zero bytes per unused member");
  if (v.ok) v.detail = "address table and " + std::to_string(b.u32(34)) + " bytes of colour pictures";
  return v;
}

}  // namespace

void checkComponent(const Component& c, std::string_view image, Report& report) {
  Bytes b(image);
  Verdict v;
  const std::string& n = c.name;
  if (n == "Index.bin") {
    v = checkIndex(b);
  } else if (n == "ItemAddr.bin") {
    v = checkItemAddr(b, report);
  } else if (n == "Dic.bin") {
    v = checkDic(b);
  } else if (n == "WordLib.bin") {
    v = checkWordLib(b);
  } else if (n == "TagRule.bin") {
    v = checkTagRule(b);
  } else if (n == "Menu.bin") {
    v = checkMenu(b);
  } else if (n == "Font.bin") {
    v = checkFont(b, report);
  } else if (n == "Sound.bin") {
    v = checkSound(b, report);
  } else if (n == "ExtBmp.bin") {
    v = checkExtBmp(b);
  } else if (n == "Bitmap.bin") {
    if (!image.empty()) v.fail("holds data; it is always listed empty");
    else v.detail = "listed empty, as always";
  } else {
    if (image.empty()) v.fail("empty");
    else v.detail = std::to_string(image.size()) + " bytes";
  }
  report.checks.push_back({n + " layout", v.ok, v.detail});
}

}  // namespace dm::readback
