#include "inspect/component_checks.h"

#include <string>

#include "inspect/byte_reader.h"

namespace dm::inspect {

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
  } else if (n == "Bitmap.bin") {
    if (!image.empty()) v.fail("holds data; it is always listed empty");
    else v.detail = "listed empty, as always";
  } else {
    if (image.empty()) v.fail("empty");
    else v.detail = std::to_string(image.size()) + " bytes";
  }
  report.checks.push_back({n + " layout", v.ok, v.detail});
}

}  // namespace dm::inspect
