#include "container/scrambler.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/failure.h"
#include "support/temp_dir.h"

namespace dm::container {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

const Key kKey = *parseKey(kKeyText);

TEST(Scrambler, KeyBytesFromTheKeyText) {
  EXPECT_EQ(kKey, (Key{0x19, 0x86, 0x04, 0x22, 0x03, 0x17, 0xEF, 0xAB}));
  EXPECT_FALSE(parseKey("1986042203"));
  EXPECT_FALSE(parseKey("198604220317efaz"));
  EXPECT_FALSE(parseKey("198604220317efab00"));
}

// Known bytes: each the XOR with its key byte, both nibbles substituted,
// rotated left by two.
TEST(Scrambler, KnownBytesOfATinyHeader) {
  const std::uint8_t plain[] = {0x01, 0x15, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x01};
  const std::uint8_t want[] = {0x0D, 0x86, 0x8B, 0xB5, 0xD5, 0x0C, 0x39, 0xCB, 0x0D, 0xE0};
  Header h = scrambleHeader(plain, sizeof plain, kKey);
  for (std::size_t i = 0; i < sizeof plain; ++i) EXPECT_EQ(h[i], want[i]) << i;
  // 0xA5A5 - (key sum 0x279 + the first eight scrambled bytes).
  EXPECT_EQ(h[350] | h[351] << 8, 0x9F74);
  EXPECT_EQ(std::string(h.begin() + 322, h.begin() + 336), "VELMOR ENCRYPT");
}

TEST(Scrambler, ZeroHeaderAndKeyRunningOnAcrossTheMarker) {
  std::vector<std::uint8_t> plain(416, 0);
  plain[336] = 0x5A;
  Header h = scrambleHeader(plain.data(), plain.size(), kKey);
  const std::uint8_t firstEight[] = {0x29, 0xEC, 0x8B, 0x77, 0x87, 0x21, 0x1C, 0xB1};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(h[i], firstEight[i]);
  EXPECT_EQ(h[350] | h[351] << 8, 0x9FA0);
  EXPECT_EQ(h[336], 0xC3);  // key position 322 mod 8 = 2
  EXPECT_EQ(headerCheckValue(h, kKey), 0x9FA0);
}

TEST(Scrambler, RoundTripOfEveryByteAndKeyPosition) {
  for (int p = 0; p < 8; ++p)
    for (int b = 0; b < 256; ++b)
      ASSERT_EQ(unscrambleByte(scrambleByte(static_cast<std::uint8_t>(b), kKey[p]), kKey[p]), b);
  std::mt19937 random(7);
  std::vector<std::uint8_t> plain(kScrambledEnd);
  for (auto& b : plain) b = static_cast<std::uint8_t>(random());
  for (std::uint32_t i = kMarkerOffset; i < kMarkerEnd; ++i) plain[i] = 0;
  plain[350] = plain[351] = 0;
  Header back = unscrambleHeader(scrambleHeader(plain.data(), plain.size(), kKey), kKey);
  EXPECT_TRUE(std::equal(back.begin(), back.end(), plain.begin()));
}

TEST(Scrambler, FileCopyKeepsTheRestAndHidesMarkerAndCheckBytes) {
  TempDir dir;
  std::string pre(1000, '\0');
  for (std::size_t i = 0; i < pre.size(); ++i) pre[i] = static_cast<char>(i * 7);
  writeFile(dir / workfiles::kContainerDraft, pre);
  scramble(dir / workfiles::kContainerDraft, dir / workfiles::kContainer, kKeyText);
  const std::string bin = readFile(dir / workfiles::kContainer);
  ASSERT_EQ(bin.size(), pre.size());
  EXPECT_EQ(bin.substr(352), pre.substr(352));
  EXPECT_EQ(bin.substr(322, 14), "VELMOR ENCRYPT");
  Header h;
  std::copy(bin.begin(), bin.begin() + kScrambledEnd, h.begin());
  EXPECT_EQ((static_cast<std::uint8_t>(bin[350]) | static_cast<std::uint8_t>(bin[351]) << 8),
            headerCheckValue(h, kKey));

  // Deterministic: the same input gives the same bytes.
  scramble(dir / workfiles::kContainerDraft, dir / "Again.bin", kKeyText);
  EXPECT_EQ(readFile(dir / "Again.bin"), bin);
}

TEST(Scrambler, FailuresThrowNamingTheFileAndWriteNothing) {
  TempDir dir;
  writeFile(dir / workfiles::kContainerDraft, "x");
  const fs::path pre = dir / workfiles::kContainerDraft;
  const fs::path bin = dir / workfiles::kContainer;
  struct Case {
    fs::path pre, bin;
    std::string_view key;
    std::string message;
  };
  const Case cases[] = {
      {dir / "none.pre", bin, kKeyText, "can't open file " + (dir / "none.pre").string() + ": No such file or directory"},
      {pre, dir / "no" / "x.bin", kKeyText,
       "can't create file " + (dir / "no" / "x.bin").string() + ": No such file or directory"},
      {pre, bin, "1234567", "the scrambling key is not 16 hex digits"},
  };
  for (const Case& c : cases) {
    try {
      scramble(c.pre, c.bin, c.key);
      ADD_FAILURE() << "no failure: " << c.message;
    } catch (const PassFailure& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
    EXPECT_FALSE(fs::exists(c.bin)) << c.message;
  }
}

TEST(Scrambler, ShortInputStillGetsMarkerAndCheckValue) {
  TempDir dir;
  writeFile(dir / workfiles::kContainerDraft, std::string("\x01\x15", 2));
  scramble(dir / workfiles::kContainerDraft, dir / workfiles::kContainer, kKeyText);
  const std::string bin = readFile(dir / workfiles::kContainer);
  ASSERT_EQ(bin.size(), 352u);
  EXPECT_EQ(static_cast<std::uint8_t>(bin[0]), 0x0D);
  EXPECT_EQ(static_cast<std::uint8_t>(bin[2]), 0);
  EXPECT_EQ(bin.substr(322, 14), "VELMOR ENCRYPT");
  const unsigned check = (0xA5A5 - (0x279 + 0x0D + 0x86)) & 0xFFFF;
  EXPECT_EQ((static_cast<std::uint8_t>(bin[350]) | static_cast<std::uint8_t>(bin[351]) << 8), check);
}

}  // namespace
}  // namespace dm::container
