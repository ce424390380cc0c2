#include "pictures/gif_reader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "pictures/picture_fixtures.h"

namespace dm::picture {
namespace {

using test::CollectSink;
using test::GifFrame;
using test::Palette;

const Palette kFour = {{0, 0, 0}, {255, 0, 0}, {0, 0, 255}, {0, 255, 0}};

GifFrame checker(int left, int top, int width, int height) {
  return test::gifFrame(left, top, width, height, [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 3); });
}

TEST(GifProbe, CountsFramesAndReportsTheScreen) {
  std::istringstream one(test::makeGif(10, 7, kFour, {checker(0, 0, 10, 7)}));
  GifInfo info;
  ASSERT_TRUE(probeGif(one, info));
  EXPECT_EQ(info.width, 10);
  EXPECT_EQ(info.height, 7);
  EXPECT_EQ(info.frames, 1);
  std::istringstream two(test::makeGif(10, 7, kFour, {checker(0, 0, 10, 7), checker(2, 1, 3, 3)}));
  ASSERT_TRUE(probeGif(two, info));
  EXPECT_EQ(info.frames, 2);
}

TEST(GifProbe, AcceptsAMissingTrailerAfterAWholeFrame) {
  std::string s = test::makeGif(4, 4, kFour, {checker(0, 0, 4, 4)});
  ASSERT_EQ(s.back(), ';');
  s.pop_back();
  std::istringstream in(s);
  GifInfo info;
  EXPECT_TRUE(probeGif(in, info));
}

TEST(GifProbe, FrameLimit) {
  const GifFrame dot = test::gifFrame(0, 0, 1, 1, [](int, int) { return 1u; });
  struct Case {
    int frames;
    bool trailer;
    bool accepted;
  };
  const Case cases[] = {
      {kMaxGifFrames, true, true},
      {kMaxGifFrames, false, true},
      {kMaxGifFrames + 1, true, false},
      {kMaxGifFrames + 1, false, false},
  };
  for (const Case& c : cases) {
    std::string s = test::makeGif(1, 1, kFour, std::vector<GifFrame>(c.frames, dot));
    if (!c.trailer) s.pop_back();
    std::istringstream in(s);
    GifInfo info;
    EXPECT_EQ(probeGif(in, info), c.accepted) << c.frames << (c.trailer ? " frames" : " frames, no trailer");
    if (c.accepted) {
      EXPECT_EQ(info.frames, c.frames);
    }
  }
}

TEST(GifDecode, FirstFrameOnWhiteWithTransparency) {
  GifFrame first = checker(1, 1, 3, 2);
  first.transparent = 2;
  GifFrame second = test::gifFrame(0, 0, 5, 4, [](int, int) { return 1u; });
  std::istringstream in(test::makeGif(5, 4, kFour, {first, second}));
  CollectSink sink;
  ASSERT_TRUE(decodeGif(in, sink));
  ASSERT_EQ(sink.width(), 5);
  ASSERT_EQ(sink.rows(), 4);
  EXPECT_EQ(sink.at(0, 0), 0xFFFFFFu);  // outside the frame
  EXPECT_EQ(sink.at(1, 1), 0x000000u);  // index 0
  EXPECT_EQ(sink.at(2, 1), 0xFF0000u);  // index 1
  EXPECT_EQ(sink.at(3, 1), 0xFFFFFFu);  // index 2 is transparent
  EXPECT_EQ(sink.at(4, 3), 0xFFFFFFu);
}

TEST(GifDecode, InterlacedRowsLandInPlace) {
  GifFrame f = test::gifFrame(0, 0, 2, 11, [](int, int y) { return static_cast<std::uint32_t>(y % 4); });
  f.interlace = true;
  std::istringstream in(test::makeGif(2, 11, kFour, {f}));
  CollectSink sink;
  ASSERT_TRUE(decodeGif(in, sink));
  const std::uint32_t colours[4] = {0x000000, 0xFF0000, 0x0000FF, 0x00FF00};
  for (int y = 0; y < 11; ++y) EXPECT_EQ(sink.at(1, y), colours[y % 4]) << "row " << y;
}

// Offset of the n-th image descriptor (0x2C right after a block end).
std::size_t descriptor(const std::string& s, int n) {
  const unsigned flags = static_cast<unsigned char>(s[10]);
  std::size_t at = 13 + ((flags & 0x80) ? 3u << ((flags & 7) + 1) : 0u);  // screen, palette
  for (int seen = 0;; ++seen) {
    while (at < s.size() && s[at] == '!') {  // skip an extension
      at += 2;
      while (s[at] != 0) at += 1 + static_cast<unsigned char>(s[at]);
      ++at;
    }
    if (seen == n) return at;
    at += 10 + 1;  // descriptor, code size
    while (s[at] != 0) at += 1 + static_cast<unsigned char>(s[at]);
    ++at;
  }
}

std::string twoFrames() { return test::makeGif(8, 8, kFour, {checker(0, 0, 8, 8), checker(1, 1, 4, 4)}); }

struct Malformed {
  const char* name;
  std::function<std::string()> make;
};

const Malformed kMalformed[] = {
    {"empty", [] { return std::string(); }},
    {"signatureOnly", [] { return std::string("GIF89a"); }},
    {"otherVersion", [] { std::string s = twoFrames(); s[4] = '7'; s[5] = 'b'; return s; }},
    {"noFrames", [] { std::string s = twoFrames(); return s.substr(0, descriptor(s, 0)) + ";"; }},
    {"zeroScreen", [] { std::string s = twoFrames(); test::put16(s, 6, 0); return s; }},
    {"hugeScreen", [] { std::string s = twoFrames(); test::put16(s, 6, 40000); test::put16(s, 8, 40000); return s; }},
    {"firstFrameOutside", [] { std::string s = twoFrames(); test::put16(s, descriptor(s, 0) + 1, 3); return s; }},
    {"laterFrameOutside", [] { std::string s = twoFrames(); test::put16(s, descriptor(s, 1) + 3, 6); return s; }},
    {"frameWiderThanScreen", [] { std::string s = twoFrames(); test::put16(s, descriptor(s, 1) + 5, 60000); return s; }},
    {"zeroHeightFrame", [] { std::string s = twoFrames(); test::put16(s, descriptor(s, 1) + 7, 0); return s; }},
    {"liesAboutSize", [] {
       std::string s = test::makeGif(8, 8, kFour, {checker(0, 0, 8, 8)});
       test::put16(s, 6, 3000); test::put16(s, 8, 3000);
       test::put16(s, descriptor(s, 0) + 5, 3000); test::put16(s, descriptor(s, 0) + 7, 3000);
       return s; }},
    {"cutInFirstFrame", [] { std::string s = twoFrames(); return s.substr(0, descriptor(s, 0) + 14); }},
    {"cutInLaterFrame", [] { std::string s = twoFrames(); return s.substr(0, descriptor(s, 1) + 14); }},
    {"noColourTable", [] {
       std::string s = twoFrames();
       const std::size_t table = 3u << ((s[10] & 7) + 1);
       s[10] = static_cast<char>(s[10] & 0x78);
       return s.erase(13, table); }},
};

class GifMalformedTest : public ::testing::TestWithParam<Malformed> {};

TEST_P(GifMalformedTest, IsRefused) {
  std::istringstream in(GetParam().make());
  GifInfo info;
  EXPECT_FALSE(probeGif(in, info));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, GifMalformedTest, ::testing::ValuesIn(kMalformed),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(GifDecode, BadFirstFramesFailWithoutFault) {
  for (const Malformed& m : kMalformed) {
    std::istringstream in(m.make());
    CollectSink sink;
    if (std::string(m.name) == "laterFrameOutside" || std::string(m.name) == "frameWiderThanScreen" ||
        std::string(m.name) == "zeroHeightFrame" || std::string(m.name) == "cutInLaterFrame")
      continue;  // the first frame is sound; only the check refuses these
    EXPECT_FALSE(decodeGif(in, sink)) << m.name;
  }
}

}  // namespace
}  // namespace dm::picture
