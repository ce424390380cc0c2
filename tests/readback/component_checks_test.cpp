#include "readback/component_checks.h"

#include <gtest/gtest.h>

namespace dm::readback {
namespace {

void put32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) s[at + k] = static_cast<char>((v >> (8 * k)) & 0xFF);
}
void putBe32(std::string& s, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) s[at + k] = static_cast<char>((v >> (24 - 8 * k)) & 0xFF);
}

Check run(const char* name, const std::string& image, Report* report = nullptr) {
  Report local;
  Report& r = report ? *report : local;
  checkComponent(Component{0, 0, name, 0, static_cast<std::uint32_t>(image.size())}, image, r);
  return r.checks.back();
}

// A sound image of two sounds, the second missing (size 0).
std::string soundImage() {
  std::string s(8 + 16, '\0');
  putBe32(s, 0, 2);
  putBe32(s, 8, 24);
  putBe32(s, 12, 3);
  putBe32(s, 16, 27);
  putBe32(s, 20, 0);
  s += "\xFF\xFB\x90";
  putBe32(s, 4, static_cast<std::uint32_t>(s.size()));
  long sum = 0;
  for (char c : s) sum += static_cast<signed char>(c);
  const unsigned check = static_cast<unsigned>(0x1A5A5 - sum) & 0xFFFF;
  s += static_cast<char>(check >> 8);
  s += static_cast<char>(check & 0xFF);
  s += std::string("\x08\x12\x26\x20", 4) + std::string(26, '\0');
  return s;
}

TEST(ComponentChecks, SoundImage) {
  Report r;
  Check good = run("Sound.bin", soundImage(), &r);
  EXPECT_TRUE(good.ok) << good.detail;
  EXPECT_EQ(r.description.sounds, 2u);
  struct Case {
    const char* what;
    std::size_t at;
  } cases[] = {{"count", 3}, {"offset", 11}, {"data", 24}, {"check value", 28}, {"date", 30}, {"tail", 40}};
  for (const auto& c : cases) {
    std::string bad = soundImage();
    bad[c.at] = static_cast<char>(bad[c.at] ^ 0xA0);
    EXPECT_FALSE(run("Sound.bin", bad).ok) << c.what;
  }
  // Found by fuzzing: a total size of nearly 4 GiB in a small image made
  // the check sum that many bytes. The image is refused at once and not
  // described.
  std::string huge = soundImage();
  huge[4] = huge[5] = huge[6] = '\xFF';
  Report hugeReport;
  Check refused = run("Sound.bin", huge, &hugeReport);
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.detail.find("total size says 4294967"), std::string::npos) << refused.detail;
  EXPECT_EQ(hugeReport.description.sounds, 0u);
}

TEST(ComponentChecks, ExtBmpImage) {
  std::string s(138, '\0');
  s[1] = 6;
  s[3] = 6;
  s[5] = 4;
  put32(s, 26, 138);
  put32(s, 30, 4);
  put32(s, 34, 142);
  put32(s, 38, 5);
  s += "ADDRjpeg!" + std::string(16, '\0');
  EXPECT_TRUE(run("ExtBmp.bin", s).ok) << run("ExtBmp.bin", s).detail;
  std::string shortTail = s.substr(0, s.size() - 1);
  EXPECT_FALSE(run("ExtBmp.bin", shortTail).ok);
  std::string wrong = s;
  wrong[5] = 3;
  EXPECT_FALSE(run("ExtBmp.bin", wrong).ok);
}

TEST(ComponentChecks, EmptyFontImage) {
  std::string f(29 + 3060, '\0');
  put32(f, 25, 29);
  f[29] = 1;
  for (std::size_t at : {8u, 12u, 52u, 56u, 68u, 72u, 76u}) put32(f, 29 + at, 0xFFFFFFFF);
  f[29 + 24] = 0x00;
  f[29 + 25] = 0x30;
  f[29 + 27] = 0x30;
  f[29 + 29] = static_cast<char>(0xE0);
  f[29 + 31] = static_cast<char>(0xE0);
  f[29 + 164 + 1] = 3;
  Check c = run("Font.bin", f);
  EXPECT_TRUE(c.ok) << c.detail;
  f[29 + 164 + 176 * 2 + 5] = 1;  // a font size record that is not empty
  EXPECT_FALSE(run("Font.bin", f).ok);
}

TEST(ComponentChecks, ImagesTooSmallForTheirHeaders) {
  for (const char* name : {"Index.bin", "ItemAddr.bin", "Dic.bin", "WordLib.bin", "TagRule.bin", "Menu.bin",
                           "Font.bin", "Sound.bin", "ExtBmp.bin"})
    for (std::size_t n : {0u, 1u, 15u, 87u})
      EXPECT_FALSE(run(name, std::string(n, '\0')).ok) << name << " of " << n << " bytes";
}

}  // namespace
}  // namespace dm::readback
