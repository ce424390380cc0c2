#include "media/bitmap_hex.h"

#include <gtest/gtest.h>

#include <sstream>

#include "pictures/picture_fixtures.h"
#include "support/temp_dir.h"

namespace dm::bitmap {
namespace {

using test::makeBmp;
using test::Palette;

Palette greyRamp() {
  Palette p;
  for (int i = 0; i < 16; ++i) p.push_back({static_cast<std::uint8_t>(17 * i), static_cast<std::uint8_t>(17 * i),
                                            static_cast<std::uint8_t>(17 * i)});
  return p;
}

SourceResult read(const std::string& bmp, HexBitmap& out, std::string* grey = nullptr) {
  std::istringstream in(bmp);
  std::ostringstream greyOut;
  const SourceResult r = readHexSource(in, &greyOut, out);
  if (grey) *grey = greyOut.str();
  return r;
}

std::string text(const HexBitmap& b) {
  std::ostringstream out;
  writeHexBitmap(out, b);
  return out.str();
}

TEST(DefaultPicture, HeaderFrameAndCross) {
  const std::string_view t = defaultHexText();
  EXPECT_EQ(t.substr(0, 16), "003A0033\t::0001\n");
  EXPECT_EQ(t.size(), 16u + 51u * 17u);
  std::vector<std::string> rows;
  std::istringstream in{std::string(t.substr(16))};
  for (std::string line; std::getline(in, line);) rows.push_back(line);
  ASSERT_EQ(rows.size(), 51u);
  EXPECT_EQ(rows[0], "0000000000000000");
  EXPECT_EQ(rows[2], "0000000000000000");
  EXPECT_EQ(rows[3], "1FFFFFFFFFFFFE00");
  EXPECT_EQ(rows[4], "1000000000000200");
  EXPECT_EQ(rows[17], "1000000000000200");
  EXPECT_EQ(rows[18], "100007001C000200");
  EXPECT_EQ(rows[25], "1000000E00000200");
  EXPECT_EQ(rows[32], "100007001C000200");
  EXPECT_EQ(rows[33], "1000000000000200");
  EXPECT_EQ(rows[46], "1000000000000200");
  EXPECT_EQ(rows[47], "1FFFFFFFFFFFFE00");
  EXPECT_EQ(rows[50], "0000000000000000");
}

TEST(HexSource, OneBitBlackOnWhiteKeepsItsBits) {
  // Colour 1 is black: a set bit is already black.
  const std::string bmp = makeBmp(10, 2, 1, [](int x, int) { return x < 2 ? 1u : 0u; }, {{255, 255, 255}, {0, 0, 0}});
  HexBitmap b;
  ASSERT_EQ(read(bmp, b), SourceResult::kOk);
  EXPECT_EQ(text(b), "000A0002\t::0001\r\nC000\r\nC000\r\n");
}

TEST(HexSource, OneBitWhiteOnBlackIsInvertedWithUnusedBitsCleared) {
  // Colour 1 is white: every byte is inverted, the 6 unused bits stay 0.
  const std::string bmp = makeBmp(10, 2, 1, [](int x, int) { return x < 2 ? 1u : 0u; }, {{0, 0, 0}, {255, 255, 255}});
  HexBitmap b;
  ASSERT_EQ(read(bmp, b), SourceResult::kOk);
  EXPECT_EQ(text(b), "000A0002\t::0001\r\n3FC0\r\n3FC0\r\n");
}

TEST(HexSource, OddWidthGreyRampKeepsPaletteAndClearsLastNibble) {
  const std::string bmp =
      makeBmp(3, 2, 4, [](int x, int y) { return static_cast<std::uint32_t>(x + 1 + 4 * y); }, greyRamp());
  HexBitmap b;
  std::string grey;
  ASSERT_EQ(read(bmp, b, &grey), SourceResult::kOk);
  EXPECT_TRUE(grey.empty()) << "a picture on the grey ramp is not converted";
  ASSERT_EQ(b.rows.size(), 2u);
  EXPECT_EQ(b.rows[0], "1230");
  EXPECT_EQ(b.rows[1], "5670");
  EXPECT_EQ(b.palette.substr(0, 24), "000000001111110022222200");
  EXPECT_EQ(b.palette.size(), 128u);
  EXPECT_EQ(text(b).substr(0, 17), "00030002\t::0004\r\n");
}

TEST(HexSource, FourBitOffTheRampBecomesGreyLevels) {
  // Red, green, blue, white: ((r + g + b) / 3) >> 4 = 5, 5, 5, 15.
  const Palette palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  const std::string bmp = makeBmp(4, 1, 4, [](int x, int) { return static_cast<std::uint32_t>(x); }, palette);
  HexBitmap b;
  std::string grey;
  ASSERT_EQ(read(bmp, b, &grey), SourceResult::kOk);
  ASSERT_EQ(b.rows.size(), 1u);
  EXPECT_EQ(b.rows[0], "555F");
  EXPECT_EQ(b.palette.substr(0, 16), "0000000011111100");
  // The grey copy is a 4-bit BMP on the ramp that reads back the same.
  HexBitmap again;
  ASSERT_EQ(read(grey, again), SourceResult::kOk);
  EXPECT_EQ(again.rows, b.rows);
  EXPECT_EQ(again.palette, b.palette);
}

TEST(HexSource, OtherDepthsKeepTheirDepthWithoutRows) {
  for (int bits : {8, 24, 32}) {
    Palette palette;
    if (bits == 8) palette.assign(256, {1, 2, 3});
    HexBitmap b;
    ASSERT_EQ(read(makeBmp(5, 3, bits, [](int, int) { return 0u; }, palette), b), SourceResult::kOk) << bits;
    EXPECT_EQ(b.bits, bits);
    EXPECT_EQ(b.width, 5u);
    EXPECT_EQ(b.height, 3u);
    EXPECT_TRUE(b.rows.empty());
  }
}

// Malformed and hostile sources: never read past the data, never crash.
TEST(HexSource, MalformedFilesAreUnreadable) {
  const std::string good = makeBmp(16, 16, 1, [](int x, int y) { return (x ^ y) & 1u; }, {{0, 0, 0}, {255, 255, 255}});
  std::string lyingSize = good;
  test::put32(lyingSize, 18, 30000);  // width far beyond the data
  std::string lyingDepth = good;
  test::put16(lyingDepth, 28, 7);
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not a bmp", "GIF89a....................................."},
      {"header only", good.substr(0, 30)},
      {"truncated rows", good.substr(0, good.size() - 10)},
      {"width lies", lyingSize},
      {"depth lies", lyingDepth},
  };
  for (const Case& c : cases) {
    HexBitmap b;
    EXPECT_EQ(read(c.bytes, b), SourceResult::kUnreadable) << c.name;
    EXPECT_TRUE(b.rows.empty()) << c.name;
  }
}

TEST(HexSource, RowsAboveFiveMebibytesAreTooLarge) {
  // 7,500 x 1,400 at 4 bits: 3,750 bytes a row, 5,250,000 bytes in all.
  const std::string bmp = makeBmp(7500, 1400, 4, [](int, int) { return 0u; }, greyRamp());
  HexBitmap b;
  EXPECT_EQ(read(bmp, b), SourceResult::kTooLarge);
}

TEST(HexSource, VanishedFileIsUnreadable) {
  test::TempDir dir;
  HexBitmap b;
  EXPECT_EQ(readHexSource(dir / "gone.bmp", dir / "grey.bmp", b), SourceResult::kUnreadable);
  EXPECT_FALSE(fs::exists(dir / "grey.bmp"));
}

TEST(HexPictureReader, ReadsConcatenationAndShortPictures) {
  std::istringstream in(
      "TT\t00080002\t::0001\nTT\tFF\nTT\t00\n"
      "TT\t00030003\t::0004\nTT\t::00112233\nTT\t1230\n"  // cut short after one row
      "TT\t00080001\t::0001\nTT\tAB\n");
  HexPictureReader reader(in);
  HexBitmap b;
  ASSERT_TRUE(reader.next(b));
  EXPECT_EQ(b.rows, (std::vector<std::string>{"FF", "00"}));
  ASSERT_TRUE(reader.next(b));
  EXPECT_EQ(b.bits, 4);
  EXPECT_EQ(b.palette, "00112233");
  EXPECT_EQ(b.rows, (std::vector<std::string>{"1230"}));
  ASSERT_TRUE(reader.next(b));
  EXPECT_EQ(b.rows, (std::vector<std::string>{"AB"}));
  EXPECT_FALSE(reader.next(b));
}

TEST(HexPictureReader, RowsOfTheWrongLengthAreCutOrPadded) {
  std::istringstream in("00100002\t::0001\r\nABCDEF\r\nA\r\n");
  HexPictureReader reader(in);
  HexBitmap b;
  ASSERT_TRUE(reader.next(b));
  EXPECT_EQ(b.rows, (std::vector<std::string>{"ABCD", "A000"}));
}

TEST(SwapNibbles, RowsPaletteAndHeaders) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"12AB", "21BA"},
      {"TT\t12AB", "TT\t21BA"},
      {"TT\t00030001\t::0004", "TT\t00030001\t::0004"},
      {"12AB\r", "21BA\r"},
      {"123", "213"},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::string line = c.in;
    swapNibbles(line);
    EXPECT_EQ(line, c.out) << c.in;
  }
}

}  // namespace
}  // namespace dm::bitmap
