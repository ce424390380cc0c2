#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <sstream>

#include "readback/readback.h"

namespace dm::readback {
namespace {

void put16(std::string& s, std::size_t at, unsigned v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, std::size_t at, std::uint32_t v) {
  put16(s, at, v & 0xFFFF);
  put16(s, at + 2, v >> 16);
}
std::string le32(std::uint32_t v) {
  std::string s(4, '\0');
  put32(s, 0, v);
  return s;
}

// A minimal but complete container, laid out from the file format by hand.
struct Sample {
  std::string delivered;

  Sample() {
    std::string index(80, '\0');
    put16(index, 0, 0);
    for (int k = 0; k < 33; ++k) put16(index, 2 + 2 * k, 0xFFFF);
    index[74] = 1;
    index[76] = 3;

    // One entry of two lines: a block line and the text "問題A", coded with
    // one library whose words and characters all have one-nibble codes.
    std::string dic(88, '\0');
    dic += std::string("\x01\xFF\xF0\x1F\xFF", 5);
    put32(dic, 0, 88);
    put32(dic, 4, 5);

    std::string item(202, '\0');
    item[0] = 8;
    item[1] = 4;
    item[2] = 2;
    put32(item, 7, 1);
    put16(item, 11, 8);
    put32(item, 50 + 8 * 1, 202);
    put32(item, 54 + 8 * 1, 6);
    put32(item, 50 + 8 * 2, 208);
    put32(item, 54 + 8 * 2, 2);
    item += "ABCDEFGH";

    std::string wordlib(64, '\0');
    const int elemBytes[4] = {1, 4, 1, 4}, perRow[4] = {6, 6, 4, 4};
    std::uint32_t off = 64;
    for (int t = 0; t < 4; ++t) {
      std::uint32_t size = elemBytes[t] * perRow[t];
      put32(wordlib, 16 * t, off);
      put32(wordlib, 16 * t + 4, size);
      put16(wordlib, 16 * t + 8, 1);
      wordlib[16 * t + 10] = static_cast<char>(elemBytes[t]);
      wordlib[16 * t + 11] = static_cast<char>(perRow[t]);
      off += size;
    }
    wordlib += std::string(6, '\x0F') + std::string(24, '\0') + std::string(4, '\x0F') + std::string(16, '\0');
    wordlib += "\x06\x14";
    std::string dir(32, '\0');
    const std::uint32_t data = static_cast<std::uint32_t>(wordlib.size() + 32);
    put32(dir, 0, 3);
    put32(dir, 4, 1);
    put32(dir, 8, data);
    put32(dir, 12, 4);
    put32(dir, 16, data + 4);
    put32(dir, 20, 6);
    put32(dir, 24, data + 10);
    put32(dir, 28, 3);
    wordlib += dir;
    wordlib += std::string("\x00\x1F\x02\xFF", 4);           // words 問題 and A
    wordlib += std::string("\x55\x4F\x98\x4C\x00\x41", 6);  // characters 問 題 A
    wordlib += std::string(3, '\0');                          // block 0 at nibble 0

    std::string tagrule(16, '\0');
    put16(tagrule, 0, 2);
    tagrule += std::string("\xFF\xFF\x01\x00\xFF\xFF\x01\x00", 8) + std::string(16, '\x01');

    struct Listed {
      int slot;
      std::string image;
      int w1, w2;
    } listed[] = {{0, dic, 0, 0}, {5, item, 8, 4}, {6, index, 0, 0}, {10, wordlib, 3, 0}, {11, tagrule, 0, 0}};
    const std::uint16_t ids[21] = {0x1000, 0x1001, 0x1002, 0x1003, 0x1004, 0x2000, 0x0002,
                                   0x4000, 0x4001, 0x5000, 0x6000, 0x6001, 0x3000, 0x3001,
                                   0x3002, 0x3003, 0x3004, 0x3005, 0x3006, 0x3007, 0x3008};
    std::string pre(416, '\0');
    pre[0] = 1;
    put16(pre, 1, 21);
    put32(pre, 4, 0xFFFFFFFF);
    pre[9] = 1;
    for (int s = 0; s < 21; ++s) put16(pre, 16 + 16 * s, ids[s]);
    std::uint32_t at = 416;
    for (std::size_t i = 0; i < std::size(listed); ++i) {
      const auto& l = listed[i];
      put32(pre, 16 + 16 * l.slot + 2, at);
      put32(pre, 16 + 16 * l.slot + 6, static_cast<std::uint32_t>(l.image.size()));
      pre[16 + 16 * l.slot + 10] = static_cast<char>(l.w1);
      pre[16 + 16 * l.slot + 11] = static_cast<char>(l.w2);
      if (i) pre += std::string(5120, '\0');
      pre += l.image;
      at = static_cast<std::uint32_t>(pre.size()) + 5120;
    }
    const std::u16string menu = u"ドリル";
    for (std::size_t i = 0; i < menu.size(); ++i) put16(pre, 352 + 2 * i, menu[i]);
    put32(pre, 384, static_cast<std::uint32_t>(pre.size() + 36));
    for (int i = 0; i < 12; ++i) pre[388 + i] = static_cast<char>("MirvaUDict10"[i] - 0x41);
    for (int i = 0; i < 16; ++i) pre[400 + i] = static_cast<char>(i * 17);
    // Checksum: the words, then the last word again with the tail bytes in
    // its low bytes.
    std::uint32_t sum = 0;
    std::array<std::uint8_t, 4> last{};
    for (std::size_t i = 0; i + 4 <= pre.size(); i += 4) {
      for (int k = 0; k < 4; ++k) last[k] = static_cast<std::uint8_t>(pre[i + k]);
      sum += last[0] | (last[1] << 8) | (last[2] << 16) | (static_cast<std::uint32_t>(last[3]) << 24);
    }
    for (std::size_t k = 0; k < pre.size() % 4; ++k) last[k] = static_cast<std::uint8_t>(pre[pre.size() / 4 * 4 + k]);
    sum += last[0] | (last[1] << 8) | (last[2] << 16) | (static_cast<std::uint32_t>(last[3]) << 24);
    pre += le32(sum);
    unsigned all = 0, s64 = 0, s128 = 0, s192 = 0;
    for (std::size_t i = 0; i < pre.size(); ++i) {
      const unsigned v = static_cast<std::uint8_t>(pre[i]);
      all += v;
      if (i % 0x10000 == 0) s64 += v;
      if (i % 0x20000 == 0) s128 += v;
      if (i % 0x30000 == 0) s192 += v;
    }
    std::string trailer(32, '\0');
    put16(trailer, 0, 0xA5A5 - s64);
    put16(trailer, 2, 0xA5A5 - all);
    trailer[4] = 9;
    trailer[5] = 0;  // December
    put16(trailer, 6, 2026);
    put16(trailer, 10, 0xA5A5 - s128);
    put16(trailer, 14, 0xA5A5 - s192);
    for (int i = 16; i < 32; ++i) trailer[i] = '\x80';
    pre += trailer;
    delivered = scramble(pre);
  }

  static std::string scramble(const std::string& pre) {
    static const std::uint8_t key[8] = {0x19, 0x86, 0x04, 0x22, 0x03, 0x17, 0xEF, 0xAB};
    static const std::uint8_t sub[16] = {14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7};
    std::string out = pre;
    unsigned check = 0;
    for (std::uint8_t k : key) check += k;
    std::size_t p = 0, n = 0;
    while (n < 350) {
      std::uint8_t b = static_cast<std::uint8_t>(pre[n]) ^ key[p];
      p = (p + 1) % 8;
      b = static_cast<std::uint8_t>(sub[b & 0x0F] | (sub[b >> 4] << 4));
      b = static_cast<std::uint8_t>((b << 2) | (b >> 6));
      if (n < 8) check += b;
      out[n] = static_cast<char>(b);
      ++n;
      if (n == 322) n = 336;
    }
    out.replace(322, 14, "VELMOR ENCRYPT");
    put16(out, 350, 0xA5A5 - check);
    return out;
  }
};

const Check* find(const Report& r, const std::string& name) {
  for (const Check& c : r.checks)
    if (c.name == name) return &c;
  return nullptr;
}

TEST(Inspect, AWellFormedContainerPassesEveryCheck) {
  Sample s;
  Report r = inspectContainer(s.delivered);
  for (const Check& c : r.checks) EXPECT_TRUE(c.ok) << c.name << ": " << c.detail;
  EXPECT_TRUE(r.allOk());
  EXPECT_EQ(r.description.buildDate, "2026-12-09");
  EXPECT_EQ(r.description.menuLocation, "ドリル");
  EXPECT_FALSE(r.description.hasHowToUse);
  EXPECT_EQ(r.description.entries, 1u);
  ASSERT_EQ(r.description.components.size(), 5u);
  EXPECT_EQ(r.description.components[0].name, "Dic.bin");
  EXPECT_EQ(r.description.components[0].offset, 416u);
  EXPECT_EQ(r.description.guid, "00112233-4455-6677-8899-AABBCCDDEEFF");
  for (const char* name : {"Dic.bin layout", "ItemAddr.bin layout", "Index.bin layout", "WordLib.bin layout",
                           "TagRule.bin layout"})
    EXPECT_NE(find(r, name), nullptr) << name;
}

TEST(Inspect, EntriesDecodeThroughTheWordLibrary) {
  Sample s;
  Report r = inspectContainer(s.delivered, true);
  ASSERT_EQ(r.entries.size(), 1u);
  EXPECT_EQ(r.entries[0].lines, std::vector<std::string>{"問題A"});
  std::ostringstream json;
  printJson(r, json);
  EXPECT_NE(json.str().find("\"lines\": [\"問題A\"]"), std::string::npos) << json.str();
}

TEST(Inspect, UnscramblingRestoresTheHeader) {
  Sample s;
  const std::string header = unscrambleHeader(s.delivered);
  EXPECT_EQ(header[0], 1);
  EXPECT_EQ(header[9], 1);
  EXPECT_EQ(header.substr(322, 14), std::string(14, '\0'));
}

TEST(Inspect, OneCorruptByteFailsTheMatchingCheck) {
  Sample base;
  const std::size_t size = base.delivered.size();
  struct Case {
    const char* what;
    std::size_t offset;
    const char* check;
  } cases[] = {
      {"first header byte", 0, "check value"},
      {"a scrambled directory byte", 16 + 16 * 5, "directory identifiers"},
      {"the marker", 330, "marker"},
      {"the check value", 350, "check value"},
      {"the menu location", 352, "checksum"},
      {"the total size", 384, "total size"},
      {"the magic", 390, "magic"},
      {"a component byte", 416 + 88, "checksum"},
      {"the packed text", 416 + 91, "drill body decodes"},
      {"a reserve byte", 416 + 93 + 100, "reserves"},
      {"the checksum", size - 36, "checksum"},
      {"a trailer sum", size - 30, "trailer sums"},
      {"the trailer month", size - 27, "trailer date"},
      {"the trailer fill", size - 1, "trailer fill"},
  };
  for (const auto& c : cases) {
    Sample s;
    s.delivered[c.offset] = static_cast<char>(s.delivered[c.offset] ^ 0x5A);
    Report r = inspectContainer(s.delivered);
    const Check* check = find(r, c.check);
    ASSERT_NE(check, nullptr) << c.what;
    EXPECT_FALSE(check->ok) << c.what << " should fail " << c.check;
    EXPECT_FALSE(r.allOk()) << c.what;
  }
}

TEST(Inspect, ComponentLayoutFaults) {
  // Corrupt a component's inner field and fix up nothing else: the layout
  // check of that component names the fault (the checksum fails too).
  Sample s;
  const std::size_t itemAddr = 416 + 93 + 5120;  // Dic.bin is 93 bytes
  s.delivered[itemAddr + 58] = 99;  // member 1 offset
  Report r = inspectContainer(s.delivered);
  ASSERT_NE(find(r, "ItemAddr.bin layout"), nullptr);
  EXPECT_FALSE(find(r, "ItemAddr.bin layout")->ok);
}

TEST(Inspect, TruncatedAndTinyFilesAreRefusedWithoutReadingPastTheEnd) {
  Sample s;
  for (std::size_t n : {std::size_t(0), std::size_t(100), std::size_t(451), s.delivered.size() / 2,
                        s.delivered.size() - 1}) {
    Report r = inspectContainer(std::string_view(s.delivered).substr(0, n));
    EXPECT_FALSE(r.allOk()) << n;
  }
}

TEST(Inspect, AFileThatIsNoContainerIsToldBySizeMagicCheckValueOrTotalSize) {
  const std::string text = [] {
    std::string t;
    while (t.size() < 2000) t += "settings\t\t\tdrill\r\nquestion\tanswer\r\n";
    return t;
  }();
  const std::size_t full = Sample().delivered.size();
  struct Case {
    const char* what;
    std::function<void(std::string&)> change;
    std::string reason;  // its start; empty: a container, however damaged
  } cases[] = {
      {"empty", [](std::string& d) { d.clear(); }, "0 bytes; a container has at least 452"},
      {"one byte short of the smallest", [](std::string& d) { d.resize(451); },
       "451 bytes; a container has at least 452"},
      {"a text file", [&](std::string& d) { d = text; }, "wrong magic at bytes 388-399"},
      {"a broken magic", [](std::string& d) { d[390] = 'x'; }, "wrong magic at bytes 388-399"},
      {"a changed first byte", [](std::string& d) { d[0] = static_cast<char>(d[0] ^ 1); },
       "wrong header check value: stored "},
      {"cut short", [](std::string& d) { d.resize(d.size() - 100); },
       "its header gives " + std::to_string(full) + " bytes, the file has " + std::to_string(full - 100)},
      {"a damaged component byte", [](std::string& d) { d[416 + 88] ^= 0x5A; }, ""},
      {"a damaged marker", [](std::string& d) { d[330] = 'x'; }, ""},
      {"well-formed", [](std::string&) {}, ""},
  };
  for (const Case& c : cases) {
    Sample s;
    c.change(s.delivered);
    const Report r = inspectContainer(s.delivered);
    EXPECT_EQ(r.notAContainer.substr(0, c.reason.size()), c.reason) << c.what << ": " << r.notAContainer;
    if (!c.reason.empty()) {
      EXPECT_FALSE(r.allOk()) << c.what;
      EXPECT_EQ(find(r, "checksum"), nullptr) << c.what << ": no container, nothing after the header is read";
    } else {
      EXPECT_TRUE(r.notAContainer.empty()) << c.what << ": " << r.notAContainer;
      EXPECT_NE(find(r, "checksum"), nullptr) << c.what;
    }
  }
}

TEST(Inspect, OutputFormats) {
  Sample s;
  Report r = inspectContainer(s.delivered);
  std::ostringstream text, json;
  printText(r, text);
  printJson(r, json);
  EXPECT_NE(text.str().find("ok     checksum"), std::string::npos);
  EXPECT_NE(text.str().find("all "), std::string::npos);
  EXPECT_NE(json.str().find("\"ok\": true"), std::string::npos);
  EXPECT_NE(json.str().find("\"menuLocation\": \"ドリル\""), std::string::npos);
}

}  // namespace
}  // namespace dm::readback
