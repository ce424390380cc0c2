#include "pictures/bmp_reader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "pictures/picture_fixtures.h"

namespace dm::picture {
namespace {

using test::BmpOptions;
using test::CollectSink;
using test::Palette;

const Palette kSixteen = {{0, 0, 0},       {255, 0, 0},     {0, 255, 0},     {0, 0, 255},
                          {255, 255, 255}, {255, 255, 0},   {0, 255, 255},   {255, 0, 255},
                          {128, 128, 128}, {64, 0, 0},      {0, 64, 0},      {0, 0, 64},
                          {10, 20, 30},    {200, 100, 50},  {1, 2, 3},       {250, 251, 252}};

std::uint32_t paletteColour(const Palette& p, std::uint32_t index) {
  return (std::uint32_t{p[index][0]} << 16) | (std::uint32_t{p[index][1]} << 8) | p[index][2];
}

// Colours that 5-bit channels hold exactly.
const std::uint32_t kPlain[] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0xFFFF00, 0x00FFFF};

struct DepthCase {
  const char* name;
  int bits;
  BmpOptions options;
  int width;
};

class BmpDepthTest : public ::testing::TestWithParam<DepthCase> {};

TEST_P(BmpDepthTest, DecodesEveryPixel) {
  const DepthCase& c = GetParam();
  const int height = 3;
  const bool indexed = c.bits <= 8;
  const std::uint32_t colours = indexed ? (c.bits == 1 ? 2u : 16u) : 7u;
  auto value = [&](int x, int y) { return static_cast<std::uint32_t>(x + 2 * y) % colours; };
  const Palette palette = indexed ? Palette(kSixteen.begin(), kSixteen.begin() + colours) : Palette{};
  std::istringstream in(test::makeBmp(
      c.width, height, c.bits,
      [&](int x, int y) { return indexed ? value(x, y) : kPlain[value(x, y)]; }, palette,
      c.options));
  BmpHeader h;
  ASSERT_TRUE(readBmpHeader(in, h));
  EXPECT_EQ(h.width, c.width);
  EXPECT_EQ(h.height, height);
  EXPECT_EQ(h.bitsPerPixel, c.bits);
  EXPECT_EQ(h.topDown, c.options.topDown);
  ASSERT_TRUE(checkBmpData(in, h));
  CollectSink sink;
  ASSERT_TRUE(decodeBmp(in, h, sink));
  ASSERT_EQ(sink.rows(), height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < c.width; ++x) {
      const std::uint32_t want = indexed ? paletteColour(palette, value(x, y)) : kPlain[value(x, y)];
      ASSERT_EQ(sink.at(x, y), want) << "pixel " << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Depths, BmpDepthTest,
    ::testing::Values(DepthCase{"mono", 1, {}, 13}, DepthCase{"grey", 4, {}, 5},
                      DepthCase{"palette8", 8, {}, 5}, DepthCase{"rgb555", 16, {}, 5},
                      DepthCase{"rgb565", 16, {.bitFields = true}, 5},
                      DepthCase{"rgb24", 24, {}, 5}, DepthCase{"rgb32", 32, {}, 5},
                      DepthCase{"fields32", 32, {.bitFields = true}, 5},
                      DepthCase{"topDown24", 24, {.topDown = true}, 5},
                      DepthCase{"topDown1", 1, {.topDown = true}, 9},
                      DepthCase{"core8", 8, {.coreHeader = true}, 5},
                      DepthCase{"core24", 24, {.coreHeader = true}, 5}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(BmpRunLength, Rle8RunsAbsoluteDeltaAndEndMarks) {
  // Stored rows run bottom up: row 0 of the data is the picture's last row.
  const std::vector<std::uint8_t> commands = {
      3, 1,           // three pixels of 1
      0, 3, 4, 5, 6,  // absolute run 4 5 6
      0,              // padding to 16 bits
      0, 0,           // end of line
      0, 2, 2, 1,     // move right 2, up 1 (to row 2 of the data)
      2, 7,           // two pixels of 7 at x 2, 3
      0, 1};          // end of picture
  std::istringstream in(test::makeRleBmp(6, 3, 8, kSixteen, commands));
  BmpHeader h;
  ASSERT_TRUE(readBmpHeader(in, h));
  ASSERT_TRUE(checkBmpData(in, h));
  std::vector<std::uint8_t> indices;
  ASSERT_TRUE(decodeBmpIndices(in, h, indices));
  const std::vector<std::uint8_t> want = {0, 0, 7, 7, 0, 0,   // top row = data row 2
                                          0, 0, 0, 0, 0, 0,   // data row 1 left out
                                          1, 1, 1, 4, 5, 6};  // bottom row = data row 0
  EXPECT_EQ(indices, want);
}

TEST(BmpRunLength, Rle4AlternatesNibbles) {
  const std::vector<std::uint8_t> commands = {5, 0x12, 0, 0, 0, 3, 0xAB, 0xC0, 0, 1};
  std::istringstream in(test::makeRleBmp(5, 2, 4, kSixteen, commands));
  BmpHeader h;
  ASSERT_TRUE(readBmpHeader(in, h));
  std::vector<std::uint8_t> indices;
  ASSERT_TRUE(decodeBmpIndices(in, h, indices));
  const std::vector<std::uint8_t> want = {0xA, 0xB, 0xC, 0, 0, 1, 2, 1, 2, 1};
  EXPECT_EQ(indices, want);
  CollectSink sink;
  ASSERT_TRUE(decodeBmp(in, h, sink));
  EXPECT_EQ(sink.at(0, 0), paletteColour(kSixteen, 0xA));
  EXPECT_EQ(sink.at(4, 1), paletteColour(kSixteen, 1));
}

TEST(BmpRunLength, CommandsLeavingThePictureAreClipped) {
  const std::vector<std::uint8_t> commands = {
      255, 3,          // a run far past the row end
      0, 2, 200, 0,    // delta far to the right
      0, 5, 1, 1, 1, 1, 1, 0,  // absolute run outside the picture
      0, 2, 0, 250,    // delta far above the picture: the walk ends
      4, 9};
  std::istringstream in(test::makeRleBmp(4, 2, 8, kSixteen, commands));
  BmpHeader h;
  ASSERT_TRUE(readBmpHeader(in, h));
  ASSERT_TRUE(checkBmpData(in, h));
  std::vector<std::uint8_t> indices;
  ASSERT_TRUE(decodeBmpIndices(in, h, indices));
  const std::vector<std::uint8_t> want = {0, 0, 0, 0, 3, 3, 3, 3};
  EXPECT_EQ(indices, want);
}

// Malformed files: each must be refused by the header or the data check
// without a fault.
struct Malformed {
  const char* name;
  std::function<std::string()> make;
  bool headerOk;  // the header alone passes; the data check refuses
};

std::string plain24() {
  return test::makeBmp(4, 4, 24, [](int, int) { return 0x123456u; });
}

std::string rle8(const std::vector<std::uint8_t>& commands) {
  return test::makeRleBmp(4, 4, 8, kSixteen, commands);
}

const Malformed kMalformed[] = {
    {"empty", [] { return std::string(); }, false},
    {"magicOnly", [] { return std::string("BM"); }, false},
    {"headerCut", [] { return plain24().substr(0, 30); }, false},
    {"pixelsCut", [] { std::string s = plain24(); return s.substr(0, s.size() - 13); }, true},
    {"huge", [] { std::string s = plain24(); test::put32(s, 18, 40000); test::put32(s, 22, 40000); return s; }, false},
    {"tooManyPixels", [] { std::string s = plain24(); test::put32(s, 18, 30000); test::put32(s, 22, 30000); return s; }, false},
    {"liesAboutSize", [] { std::string s = plain24(); test::put32(s, 18, 1000); test::put32(s, 22, 1000); return s; }, true},
    {"zeroWidth", [] { std::string s = plain24(); test::put32(s, 18, 0); return s; }, false},
    {"zeroHeight", [] { std::string s = plain24(); test::put32(s, 22, 0); return s; }, false},
    {"negativeWidth", [] { std::string s = plain24(); test::put32(s, 18, static_cast<std::uint32_t>(-4)); return s; }, false},
    {"mostNegativeHeight", [] { std::string s = plain24(); test::put32(s, 22, 0x80000000u); return s; }, false},
    {"oddDepth", [] { std::string s = plain24(); test::put16(s, 28, 7); return s; }, false},
    {"embeddedJpeg", [] { std::string s = plain24(); test::put32(s, 30, 4); return s; }, false},
    {"rleOn24Bits", [] { std::string s = plain24(); test::put32(s, 30, 1); return s; }, false},
    {"offsetPastEnd", [] { std::string s = plain24(); test::put32(s, 10, 100000); return s; }, false},
    {"offsetInsideHeader", [] { std::string s = plain24(); test::put32(s, 10, 20); return s; }, false},
    {"unknownHeaderSize", [] { std::string s = plain24(); test::put32(s, 14, 99); return s; }, false},
    {"headerSizeBeyondFile", [] { std::string s = plain24().substr(0, 60); test::put32(s, 14, 124); return s; }, false},
    {"zeroMasks", [] {
       std::string s = test::makeBmp(2, 2, 32, [](int, int) { return 0u; }, {}, {.bitFields = true});
       test::put32(s, 54, 0); test::put32(s, 58, 0); test::put32(s, 62, 0);
       return s; }, false},
    {"noRoomForPalette", [] {
       std::string s = test::makeBmp(2, 2, 8, [](int, int) { return 0u; }, {{1, 2, 3}});
       test::put32(s, 10, 54); return s; }, false},
    {"topDownRle", [] { std::string s = rle8({0, 1}); test::put32(s, 22, static_cast<std::uint32_t>(-4)); return s; }, false},
    {"rleSizeBeyondFile", [] { std::string s = rle8({0, 1}); test::put32(s, 34, 5000); return s; }, false},
    {"rleAbsoluteCut", [] { std::string s = rle8({0, 9, 1, 2}); test::put32(s, 34, 0); return s; }, true},
    {"rleDeltaCut", [] { std::string s = rle8({0, 2, 1}); test::put32(s, 34, 0); return s; }, true},
    {"rleRunCut", [] { std::string s = rle8({4}); test::put32(s, 34, 0); return s; }, true},
};

class BmpMalformedTest : public ::testing::TestWithParam<Malformed> {};

TEST_P(BmpMalformedTest, IsRefused) {
  std::istringstream in(GetParam().make());
  BmpHeader h;
  const bool header = readBmpHeader(in, h);
  EXPECT_EQ(header, GetParam().headerOk);
  if (header) {
    EXPECT_FALSE(checkBmpData(in, h));
    CollectSink sink;
    EXPECT_FALSE(decodeBmp(in, h, sink));
  }
}

INSTANTIATE_TEST_SUITE_P(Catalogue, BmpMalformedTest, ::testing::ValuesIn(kMalformed),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(BmpPalette, ClaimedColoursBeyondTheStoredOnesAreCut) {
  // Says 256 colours, stores 2: keeps the 2, shows other indices as black.
  std::string s = test::makeBmp(2, 1, 8, [](int x, int) { return x == 0 ? 1u : 200u; },
                                {{9, 9, 9}, {255, 128, 0}});
  test::put32(s, 46, 256);
  std::istringstream in(s);
  BmpHeader h;
  ASSERT_TRUE(readBmpHeader(in, h));
  EXPECT_EQ(h.palette.size(), 2u);
  CollectSink sink;
  ASSERT_TRUE(decodeBmp(in, h, sink));
  EXPECT_EQ(sink.at(0, 0), 0xFF8000u);
  EXPECT_EQ(sink.at(1, 0), 0x000000u);
}

TEST(BmpData, MissingPaddingOfTheLastRowIsAccepted) {
  std::string s = test::makeBmp(5, 2, 24, [](int, int) { return 0x010203u; });
  s.resize(s.size() - 1);  // rows of 15 bytes are padded to 16
  std::istringstream in(s);
  BmpHeader h;
  ASSERT_TRUE(readBmpHeader(in, h));
  EXPECT_TRUE(checkBmpData(in, h));
}

}  // namespace
}  // namespace dm::picture
