#include "pictures/picture_library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>

#include "media/bitmap_hex.h"
#include "pictures/bmp_reader.h"
#include "pictures/jpeg_codec.h"
#include "pictures/picture_convert.h"
#include "pictures/picture_fixtures.h"
#include "support/fifo.h"
#include "support/temp_dir.h"

// The largest single allocation made while tracking is on, to show that a
// picture claiming a huge size is refused before anything is allocated for it.
// Under AddressSanitizer, which owns operator new, the huge allocation would
// abort the test instead.
namespace {
bool gTrackAllocations = false;
std::size_t gLargestAllocation = 0;
}  // namespace

#if !defined(__SANITIZE_ADDRESS__)
// GCC pairs the replaced operator new below with std::free and warns about
// a mismatch that is not there: both go through malloc.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  if (gTrackAllocations && size > gLargestAllocation) gLargestAllocation = size;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace dm {
namespace {

using test::CollectSink;
using test::Palette;
using test::TempDir;

const Palette kMono = {{0, 0, 0}, {255, 255, 255}};
const Palette kGrey = [] {
  Palette p;
  for (int i = 0; i < 16; ++i) p.push_back({static_cast<std::uint8_t>(17 * i), static_cast<std::uint8_t>(17 * i), static_cast<std::uint8_t>(17 * i)});
  return p;
}();
const Palette kFour = {{255, 0, 0}, {0, 0, 255}, {0, 255, 0}, {255, 255, 255}};

std::string monoBmp(int w, int h) {
  return test::makeBmp(w, h, 1, [](int x, int y) { return static_cast<std::uint32_t>((x ^ y) & 1); }, kMono);
}
std::string greyBmp(int w, int h) {
  return test::makeBmp(w, h, 4, [](int x, int) { return static_cast<std::uint32_t>(x % 16); }, kGrey);
}
std::string colourBmp(int w, int h, int bits = 24) {
  return test::makeBmp(w, h, bits, [](int, int) { return 0x3060C0u; });
}
std::string flatJpeg(int w, int h, bool progressive = false) {
  return test::makeJpeg(w, h, [](int, int) { return 0x3060C0u; }, progressive);
}
std::string gifOf(int w, int h, int frames) {
  std::vector<test::GifFrame> list;
  for (int i = 0; i < frames; ++i)
    list.push_back(test::gifFrame(0, 0, w, h, [i](int, int) { return static_cast<std::uint32_t>(i % 2); }));
  return test::makeGif(w, h, kFour, list);
}

PictureInfo check(const TempDir& dir, const std::string& name, const std::string& bytes, int* result) {
  test::writeFile(dir / name, bytes);
  PictureInfo info;
  *result = CheckFileFormat(dir / name, info);
  return info;
}

struct KindCase {
  const char* name;
  const char* file;
  std::function<std::string()> make;
  std::int32_t kind, width, height;
};

const KindCase kKinds[] = {
    {"mono", "a.bmp", [] { return monoBmp(30, 20); }, 1, 30, 20},
    {"monoTall", "a.bmp", [] { return monoBmp(1000, 2000); }, 1, 1000, 2000},
    {"greyWide", "a.bmp", [] { return greyBmp(900, 10); }, 4, 900, 10},
    {"greyRunLength", "a.bmp", [] { return test::makeRleBmp(4, 2, 4, kGrey, {4, 0x12, 0, 1}); }, 4, 4, 2},
    {"palette8", "a.bmp", [] { return test::makeBmp(1600, 1200, 8, [](int, int) { return 0u; }, kMono); }, 6, 800, 600},
    {"rgb16", "a.bmp", [] { return colourBmp(10, 10, 16); }, 6, 10, 10},
    {"rgb24", "a.bmp", [] { return colourBmp(10, 10); }, 6, 10, 10},
    {"rgb32", "a.bmp", [] { return colourBmp(1000, 10, 32); }, 6, 800, 8},
    {"photo", "a.jpg", [] { return flatJpeg(4000, 3000); }, 5, 800, 600},
    {"progressive", "a.jpeg", [] { return flatJpeg(100, 50, true); }, 5, 100, 50},
    {"jpegNamedBmp", "a.bmp", [] { return flatJpeg(16, 8); }, 5, 16, 8},
    {"gif", "a.gif", [] { return gifOf(20, 10, 1); }, 3, 20, 10},
    {"animatedGif", "a.gif", [] { return gifOf(20, 10, 2); }, 2, 20, 10},
    {"wideGif", "a.gif", [] { return test::makeGif(1600, 1000, kFour, {test::gifFrame(5, 5, 2, 2, [](int, int) { return 1u; })}); }, 3, 800, 500},
};

class CheckFileFormatKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(CheckFileFormatKinds, ReportsKindAndDeviceSize) {
  TempDir dir;
  int result = 0;
  const PictureInfo info = check(dir, GetParam().file, GetParam().make(), &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(info.kind, GetParam().kind);
  EXPECT_EQ(info.width, GetParam().width);
  EXPECT_EQ(info.height, GetParam().height);
  EXPECT_EQ(info.fileSize, 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, CheckFileFormatKinds, ::testing::ValuesIn(kKinds),
                         [](const auto& p) { return std::string(p.param.name); });

struct RefusedCase {
  const char* name;
  const char* file;
  std::function<std::string()> make;
};

std::string cut(std::string s, std::size_t keep) { return s.substr(0, keep); }

const RefusedCase kRefused[] = {
    {"zeroLength", "a.jpg", [] { return std::string(); }},
    {"textNamedJpeg", "a.jpg", [] { return std::string("just some text\r\n"); }},
    {"textNamedBmp", "a.bmp", [] { return std::string("BMP? no, a note\r\n"); }},
    {"pngNamedGif", "a.gif", [] { return std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16); }},
    {"bmpCut", "a.bmp", [] { std::string s = colourBmp(20, 20); return cut(s, s.size() - 100); }},
    {"jpegCut", "a.jpg", [] { std::string s = flatJpeg(64, 64); return cut(s, s.size() - 40); }},
    {"gifCut", "a.gif", [] { std::string s = gifOf(20, 20, 1); return cut(s, s.size() - 6); }},
    {"bmpLiesAboutSize", "a.bmp", [] { std::string s = colourBmp(4, 4); test::put32(s, 18, 2000); test::put32(s, 22, 1500); return s; }},
    {"bmpHuge", "a.bmp", [] { std::string s = colourBmp(4, 4); test::put32(s, 18, 40000); test::put32(s, 22, 40000); return s; }},
    {"gifHuge", "a.gif", [] { std::string s = gifOf(4, 4, 1); test::put16(s, 6, 40000); test::put16(s, 8, 40000); return s; }},
};

class CheckFileFormatRefuses : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(CheckFileFormatRefuses, BadFiles) {
  TempDir dir;
  int result = 1;
  const PictureInfo info = check(dir, GetParam().file, GetParam().make(), &result);
  EXPECT_LE(result, 0);
  EXPECT_EQ(info.kind, -1);
  PictureInfo zoomed;
  EXPECT_LT(PictureZoom(dir / GetParam().file, dir / "out", 800, -1, zoomed), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "out"));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, CheckFileFormatRefuses, ::testing::ValuesIn(kRefused),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(CheckFileFormat, MissingFileOrFolderIsRefused) {
  TempDir dir;
  PictureInfo info;
  EXPECT_LE(CheckFileFormat(dir / "absent.bmp", info), 0);
  EXPECT_LE(CheckFileFormat(dir.path(), info), 0);
  EXPECT_EQ(info.kind, -1);
}

TEST(CheckFileFormat, HugeClaimsAreRefusedBeforeAnyLargeAllocation) {
  std::string bmp = colourBmp(4, 4);
  test::put32(bmp, 18, 40000);
  test::put32(bmp, 22, 40000);
  std::string jpeg = flatJpeg(16, 16);
  const std::size_t sof = jpeg.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  jpeg[sof + 5] = jpeg[sof + 7] = static_cast<char>(40000 >> 8);
  jpeg[sof + 6] = jpeg[sof + 8] = static_cast<char>(40000 & 0xFF);
  std::string gif = gifOf(4, 4, 1);
  test::put16(gif, 6, 40000);
  test::put16(gif, 8, 40000);
  TempDir dir;
  for (const auto& [name, bytes] : {std::pair{"h.bmp", bmp}, std::pair{"h.jpg", jpeg}, std::pair{"h.gif", gif}}) {
    test::writeFile(dir / name, bytes);
    PictureInfo info;
    gLargestAllocation = 0;
    gTrackAllocations = true;
    const int checked = CheckFileFormat(dir / name, info);
    const int zoomed = PictureZoom(dir / name, dir / "out.jpg", 800, -1, info);
    gTrackAllocations = false;
    EXPECT_LE(checked, 0) << name;
    EXPECT_LT(zoomed, 0) << name;
    EXPECT_LT(gLargestAllocation, 1u << 20) << name;
  }
}

// PictureZoom -------------------------------------------------------------------

TEST(PictureZoom, MonoAndGreyBmpsAreCopiedByteForByte) {
  TempDir dir;
  for (const std::string& bytes : {monoBmp(1000, 12), greyBmp(7, 5)}) {
    test::writeFile(dir / "src.bmp", bytes);
    PictureInfo result;
    ASSERT_GE(PictureZoom(dir / "src.bmp", dir / "dst", 800, -1, result), 0);
    EXPECT_EQ(test::readFile(dir / "dst"), bytes);
    EXPECT_EQ(result.kind, bytes == greyBmp(7, 5) ? 4 : 1);
    EXPECT_EQ(result.fileSize, static_cast<std::int32_t>(bytes.size()));
    EXPECT_EQ(result.width, bytes == greyBmp(7, 5) ? 7 : 1000);
  }
}

struct ZoomCase {
  const char* name;
  std::function<std::string()> make;
  std::int32_t maxWidth, maxHeight;
  std::int32_t kind, width, height;
};

const ZoomCase kZooms[] = {
    {"photo", [] { return flatJpeg(4000, 3000); }, 800, -1, 5, 800, 600},
    {"photoCover", [] { return flatJpeg(4000, 3000); }, 800, 430, 5, 573, 430},
    {"smallNotEnlarged", [] { return flatJpeg(400, 300, true); }, 800, -1, 5, 400, 300},
    {"bmp24", [] { return colourBmp(1600, 1200); }, 800, -1, 6, 800, 600},
    {"bmp16Tall", [] { return colourBmp(100, 900, 16); }, 800, 430, 6, 48, 430},
    {"gif", [] { return gifOf(30, 20, 1); }, 800, -1, 3, 30, 20},
    {"animatedGif", [] { return gifOf(1200, 20, 3); }, 800, -1, 2, 800, 13},
};

class PictureZoomColour : public ::testing::TestWithParam<ZoomCase> {};

TEST_P(PictureZoomColour, WritesAFittedBaselineJpeg) {
  const ZoomCase& c = GetParam();
  TempDir dir;
  test::writeFile(dir / "src", c.make());
  PictureInfo result;
  ASSERT_EQ(PictureZoom(dir / "src", dir / "dst", c.maxWidth, c.maxHeight, result), 0);
  EXPECT_EQ(result.kind, c.kind);
  EXPECT_EQ(result.width, c.width);
  EXPECT_EQ(result.height, c.height);
  EXPECT_EQ(result.fileSize, static_cast<std::int32_t>(std::filesystem::file_size(dir / "dst")));
  // The converted file reports its own size, as the colour picture store reads it.
  PictureInfo info;
  ASSERT_EQ(CheckFileFormat(dir / "dst", info), 1);
  EXPECT_EQ(info.kind, 5);
  EXPECT_EQ(info.width, c.width);
  EXPECT_EQ(info.height, c.height);
  std::ifstream in(dir / "dst", std::ios::binary);
  picture::JpegInfo jpeg;
  ASSERT_TRUE(picture::probeJpeg(in, jpeg));
  EXPECT_FALSE(jpeg.progressive);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);  // no work file left
}

INSTANTIATE_TEST_SUITE_P(Sources, PictureZoomColour, ::testing::ValuesIn(kZooms),
                         [](const auto& p) { return std::string(p.param.name); });

bool near(std::uint32_t a, std::uint32_t b) {
  for (int s = 0; s < 24; s += 8)
    if (std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)) > 8) return false;
  return true;
}

std::uint32_t centreOf(const std::filesystem::path& jpeg) {
  std::ifstream in(jpeg, std::ios::binary);
  CollectSink sink;
  EXPECT_TRUE(picture::decodeJpeg(in, 0, 0, sink));
  return sink.at(sink.width() / 2, sink.height() / 2);
}

TEST(PictureZoom, KeepsColoursAndTakesTheFirstGifFrame) {
  TempDir dir;
  test::writeFile(dir / "a.bmp", colourBmp(64, 64));
  test::writeFile(dir / "b.gif", gifOf(64, 64, 2));  // red frame, then blue
  PictureInfo result;
  ASSERT_EQ(PictureZoom(dir / "a.bmp", dir / "a.out", 32, -1, result), 0);
  EXPECT_TRUE(near(centreOf(dir / "a.out"), 0x3060C0u)) << std::hex << centreOf(dir / "a.out");
  ASSERT_EQ(PictureZoom(dir / "b.gif", dir / "b.out", 800, -1, result), 0);
  EXPECT_TRUE(near(centreOf(dir / "b.out"), 0xFF0000u)) << std::hex << centreOf(dir / "b.out");
}

TEST(PictureZoom, TurnsPhotosUprightAsTheirExifSays) {
  // Stored 40 x 20, left half red, right half blue, to be turned a quarter.
  const std::string photo = test::withExif(
      test::makeJpeg(40, 20, [](int x, int) { return x < 20 ? 0xFF0000u : 0x0000FFu; }), 6);
  TempDir dir;
  test::writeFile(dir / "p.jpg", photo);
  PictureInfo info;
  ASSERT_EQ(CheckFileFormat(dir / "p.jpg", info), 1);
  EXPECT_EQ(info.width, 20);
  EXPECT_EQ(info.height, 40);
  PictureInfo result;
  ASSERT_EQ(PictureZoom(dir / "p.jpg", dir / "out", 10, -1, result), 0);
  EXPECT_EQ(result.width, 10);
  EXPECT_EQ(result.height, 20);
  std::ifstream in(dir / "out", std::ios::binary);
  CollectSink sink;
  ASSERT_TRUE(picture::decodeJpeg(in, 0, 0, sink));
  ASSERT_EQ(sink.width(), 10);
  EXPECT_TRUE(near(sink.at(5, 2), 0xFF0000u)) << std::hex << sink.at(5, 2);   // left side now on top
  EXPECT_TRUE(near(sink.at(5, 17), 0x0000FFu)) << std::hex << sink.at(5, 17);
}

TEST(PictureZoom, FailureLeavesNoTarget) {
  TempDir dir;
  test::writeFile(dir / "bad.jpg", "not a picture");
  test::writeFile(dir / "dst", "stale picture of an earlier run");
  PictureInfo result;
  EXPECT_LT(PictureZoom(dir / "bad.jpg", dir / "dst", 800, -1, result), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "dst"));
  EXPECT_EQ(result.kind, -1);
  // An unwritable target: the folder does not exist.
  test::writeFile(dir / "ok.bmp", colourBmp(4, 4));
  EXPECT_EQ(PictureZoom(dir / "ok.bmp", dir / "missing" / "dst", 800, -1, result), picture::kWriteFailed);
  EXPECT_LT(PictureZoom(dir / "ok.bmp", dir / "dst", 0, -1, result), 0);
  EXPECT_LT(PictureZoom(dir / "absent.bmp", dir / "dst", 800, -1, result), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "dst"));
}

TEST(PictureReaders, AFifoInThePlaceOfAPictureIsUnreadableAndNeverWaitedOn) {
  TempDir dir;
  const std::filesystem::path fifo = dir / "picture.bmp";
  ASSERT_TRUE(test::makeFifo(fifo));
  struct Case {
    const char* reader;
    std::function<bool()> refuses;
  };
  const Case cases[] = {
      {"CheckFileFormat", [&] { PictureInfo info; return CheckFileFormat(fifo, info) == picture::kUnreadable; }},
      {"PictureZoom", [&] { PictureInfo info; return PictureZoom(fifo, dir / "out", 800, -1, info) == picture::kUnreadable; }},
      {"readHexSource", [&] {
         bitmap::HexBitmap b;
         return bitmap::readHexSource(fifo, dir / "grey.bmp", b) == bitmap::SourceResult::kUnreadable;
       }},
  };
  for (const Case& c : cases) {
    bool refused = false;
    EXPECT_TRUE(test::endsWithoutWaitingOn(fifo, [&] { refused = c.refuses(); })) << c.reader;
    EXPECT_TRUE(refused) << c.reader;
  }
}

TEST(PictureZoom, NeverDeletesItsOwnSource) {
  TempDir dir;
  test::writeFile(dir / "same.jpg", "not a picture");
  PictureInfo result;
  EXPECT_LT(PictureZoom(dir / "same.jpg", dir / "same.jpg", 800, -1, result), 0);
  EXPECT_EQ(test::readFile(dir / "same.jpg"), "not a picture");
}

// Found by fuzzing: 80 bytes of GIF whose logical screen is 1083 x 16576
// with two 2 x 2 frames. The whole screen is decoded and scaled, which takes
// a fraction of a second here but timed out under coverage instrumentation;
// it must convert like any tall picture.
TEST(ConvertPicture, TinyGifWithAHugeScreen) {
  const std::string gif(
      "\x47\x49\x46\x38\x39\x61\x3b\x04\xc0\x40\xe3\xb5\xaf\x23\x60\x9f\x2a\x70\x71\xce\x7f\xa0\x01\x38"
      "\x90\x6f\x3f\xa0\x12\x46\xb0\x4f\x4d\x06\x00\x04\x00\x00\x04\xc9\x1e\x12\x01\x00\x2c\x01\x00\x01"
      "\x00\x02\x00\x02\x04\x00\x00\x04\xc9\x1e\x12\x01\x00\x2c\x01\x00\x01\x00\x02\x00\x02\x00\x00\x04\x04"
      "\x70\xc8\x11\x01\x00\x3b\x79",
      80);
  std::istringstream probe(gif);
  PictureInfo info;
  ASSERT_EQ(picture::checkPicture(probe, info), picture::kUsable);
  EXPECT_EQ(info.width, 800);
  std::istringstream in(gif);
  std::vector<std::uint8_t> out;
  PictureInfo result;
  ASSERT_EQ(picture::convertPicture(in, 800, -1, out, result), picture::kWritten);
  EXPECT_EQ(result.width, info.width);
  EXPECT_EQ(result.height, info.height);
}

TEST(ConvertPicture, WorksOnStreams) {
  std::istringstream in(colourBmp(10, 4));
  std::vector<std::uint8_t> out;
  PictureInfo result;
  ASSERT_EQ(picture::convertPicture(in, 5, -1, out, result), picture::kWritten);
  EXPECT_EQ(result.width, 5);
  EXPECT_EQ(result.height, 2);
  EXPECT_EQ(result.fileSize, static_cast<std::int32_t>(out.size()));
  std::istringstream again(std::string(out.begin(), out.end()));
  PictureInfo info;
  EXPECT_EQ(picture::checkPicture(again, info), picture::kUsable);
  EXPECT_EQ(info.kind, 5);
}

}  // namespace
}  // namespace dm
