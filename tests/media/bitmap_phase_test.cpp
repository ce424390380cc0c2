#include "media/bitmap_phase.h"

#include <gtest/gtest.h>

#include <sstream>

#include "media/bitmap_colour_store.h"
#include "media/bitmap_hex.h"
#include "pictures/picture_fixtures.h"
#include "pictures/picture_library.h"
#include "support/fifo.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace dm::bitmap {
namespace {

using test::makeBmp;
using test::Palette;
using test::readFile;
using test::writeFile;

std::string repeat(std::string_view line, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line;
  return s;
}

Palette greyRamp() {
  Palette p;
  for (int i = 0; i < 16; ++i)
    p.push_back({static_cast<std::uint8_t>(17 * i), static_cast<std::uint8_t>(17 * i), static_cast<std::uint8_t>(17 * i)});
  return p;
}

class BitmapPhaseTest : public ::testing::Test {
 protected:
  BitmapPhaseTest() {
    state.paths = WorkPaths::under(dir.path());
    for (const fs::path& p : {state.paths.middata / workfiles::kBmpFolder, state.paths.middata / workfiles::kBmpExtFolder, state.paths.destin / workfiles::kBmpFolder,
                              state.paths.destin / workfiles::kBmpExtFolder, state.paths.trash})
      fs::create_directories(p);
  }

  // Writes a user file and lists it.
  void addMedia(const std::string& name, const std::string& bytes) {
    const fs::path path = dir / "user" / name;
    writeFile(path, bytes);
    state.mediaList[name] = path;
  }

  void runMonochrome(std::vector<std::u16string> list) {
    writeMonochromeTables(state.paths, state.mediaList, list, state.sink);
  }

  std::string mid(const std::string& name) { return readFile(state.paths.middata / workfiles::kBmpFolder / name); }
  std::string dst(const std::string& name) { return readFile(state.paths.destin / workfiles::kBmpFolder / name); }
  bool dstExists(const std::string& name) { return fs::exists(state.paths.destin / workfiles::kBmpFolder / name); }

  // The parts of a run that the bitmap phase sees.
  struct Run {
    WorkPaths paths;
    MediaList mediaList;
    struct {
      std::u16string coverPicture;
      struct {
        std::vector<std::u16string> monochromeList, otherList;
      } media;
    } conversion;
    MediaPhaseState mediaPhases;
    std::vector<std::string> warnings;
    test::RecordingSink sink;
    BitmapContext context() {
      return {paths,      mediaList, conversion.coverPicture, conversion.media.monochromeList, conversion.media.otherList,
              mediaPhases, warnings, sink};
    }
  };

  test::TempDir dir;
  Run state;
  std::ostringstream log;  // the colour store's messages
};

TEST_F(BitmapPhaseTest, DefaultPictureOnly) {
  runMonochrome({u"0014default.bmp"});
  EXPECT_EQ(mid(workfiles::kPictureList), repeat("Default\t0\n", 20) + "bmp00014\t1\t::default.bmp\n");
  EXPECT_EQ(dst(workfiles::kMergedInfo), repeat("F\tFFF\tFFFF\tFFFFFFFF\n", 20) + "9\t033\t003A\t00000000\n");
  EXPECT_EQ(mid("bmp00014.hex"), defaultHexText());
  EXPECT_EQ(mid("Drill_Bmp.h"), "#ifndef\t_Drill_H_\n#define\t_Drill_H\n\n#define\tbmp00014_BMP\t\t0014\n\n#endif\n");
  EXPECT_EQ(dst("bitmap3.lst"), "bmp00014\t1\t::default.bmp\n");
  EXPECT_EQ(dst("bitmap_mono_3.inf"), "9\t033\t003A\t00000000\n");
  for (const char* ext : {".add", ".cod", ".dic", ".h"}) EXPECT_TRUE(dstExists(std::string("bitmap_mono_3") + ext)) << ext;
  for (const char* name : {"bitmap4.lst", "bitmap5.lst", "bitmap6.lst", "bitmap_clr_4.hex", "bitmap_clr_5.dic",
                           "bitmap_clr_6.dic"})
    EXPECT_FALSE(dstExists(name)) << name;
  EXPECT_EQ(mid(workfiles::kPictureClassList), "");
  // The concatenation the coder read.
  const std::string cln = readFile(state.paths.trash / workfiles::kConcatenatedBitmaps);
  EXPECT_EQ(cln.substr(0, 19), "TT\t003A0033\t::0001\n");
}

TEST_F(BitmapPhaseTest, EveryKindOfMonochromeListEntry) {
  addMedia("inverted.bmp",
           makeBmp(10, 2, 1, [](int x, int) { return x < 2 ? 1u : 0u; }, {{0, 0, 0}, {255, 255, 255}}));
  addMedia("grey.bmp", makeBmp(3, 2, 4, [](int x, int) { return static_cast<std::uint32_t>(x + 1); }, greyRamp()));
  Palette eight(256, {9, 9, 9});
  addMedia("eight.bmp", makeBmp(4, 4, 8, [](int, int) { return 0u; }, eight));
  addMedia("broken.bmp", "BM this is not a picture");
  runMonochrome({u"0014default.bmp", u"0015inverted.bmp", u"0016grey.bmp", u"0017eight.bmp", u"0018missing.bmp",
                 u"0019broken.bmp"});

  EXPECT_EQ(mid(workfiles::kPictureList), repeat("Default\t0\n", 20) +
                                    "bmp00014\t1\t::default.bmp\n"
                                    "bmp00015\t1\t::inverted.bmp\n"
                                    "bmp00016\t4\t::grey.bmp\n"
                                    "bmp00017\t8\t::eight.bmp\n"
                                    "bmp00018\t0\n"
                                    "bmp00019\t0\n");
  EXPECT_EQ(mid("bmp00015.hex"), "000A0002\t::0001\r\n3FC0\r\n3FC0\r\n");
  EXPECT_EQ(mid("bmp00019.hex"), "") << "an unreadable picture leaves an empty hex bitmap";
  EXPECT_EQ(mid("Drill_Bmp.h"),
            "#ifndef\t_Drill_H_\n#define\t_Drill_H\n\n"
            "#define\tbmp00014_BMP\t\t0014\n#define\tbmp00015_BMP\t\t0015\n"
            "#define\tbmp00016_BMP\t\t0016\n#define\tbmp00017_BMP\t\t0017\n\n#endif\n");
  // The grey picture does not compress (ratio 1.25): raw rows (class 4),
  // stored with swapped nibbles.
  EXPECT_EQ(mid(workfiles::kPictureClassList), "bmp00016\t4\n");
  EXPECT_EQ(dst("bitmap4.lst"), "bmp00016\t4\t::grey.bmp\n");
  EXPECT_EQ(dst("bitmap_clr_4.inf"), "4\t002\t0003\t00000000\n");
  EXPECT_EQ(dst("bitmap_clr_4.hex"), "2103\n2103\n\n");
  EXPECT_EQ(dst("bitmap_clr_4.add"), "0000000\t4\n");
  EXPECT_EQ(dst(workfiles::kMergedInfo), repeat("F\tFFF\tFFFF\tFFFFFFFF\n", 20) +
                                   "9\t033\t003A\t00000000\n"
                                   "9\t002\t000A\t00000001\n"
                                   "4\t002\t0003\t00000000\n" +
                                   repeat("F\tFFF\tFFFF\tFFFFFFFF\n", 3));
  EXPECT_EQ(state.sink.lines, std::vector<std::string>{"1.250000"}) << "the ratio of the classified picture";
}

TEST_F(BitmapPhaseTest, GreyPictureOffTheRampIsConvertedInTrash) {
  const Palette colours = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
  addMedia("colours.bmp", makeBmp(4, 1, 4, [](int x, int) { return static_cast<std::uint32_t>(x); }, colours));
  runMonochrome({u"0014default.bmp", u"0015colours.bmp"});
  const std::string grey = readFile(state.paths.trash / "bmp00015.bmp");
  ASSERT_FALSE(grey.empty());
  std::istringstream in(grey);
  HexBitmap b;
  ASSERT_EQ(readHexSource(in, nullptr, b), SourceResult::kOk);
  EXPECT_EQ(b.rows, (std::vector<std::string>{"555F"}));
}

TEST_F(BitmapPhaseTest, EachGreyClassGetsItsTables) {
  // Noise does not compress (class 4, raw); large flat areas compress well
  // (class 5, symbol-coded); rows of a run and two odd bytes are in between
  // (class 6, run-length coded).
  addMedia("noise.bmp", makeBmp(64, 8, 4, [](int x, int y) { return static_cast<std::uint32_t>((x * 7 + y * 3) % 16); },
                                greyRamp()));
  addMedia("flat.bmp", makeBmp(64, 64, 4, [](int x, int) { return x < 32 ? 3u : 9u; }, greyRamp()));
  addMedia("medium.bmp", makeBmp(16, 4, 4, [](int x, int) { return x < 12 ? 3u : static_cast<std::uint32_t>(x - 8); },
                                 greyRamp()));
  runMonochrome({u"0014default.bmp", u"0015noise.bmp", u"0016flat.bmp", u"0017medium.bmp"});
  EXPECT_EQ(mid(workfiles::kPictureClassList), "bmp00015\t4\nbmp00016\t5\nbmp00017\t6\n");

  EXPECT_EQ(dst("bitmap_clr_4.inf"), "4\t008\t0040\t00000000\n");
  EXPECT_EQ(dst("bitmap_clr_4.add"), "0000000\t4\n");
  EXPECT_EQ(dst("bitmap_clr_4.hex").substr(0, 9), "705E3C1AF") << "rows with swapped nibbles";

  EXPECT_EQ(dst("bitmap_clr_5.inf"), "5\t040\t0040\t00000000\n");
  EXPECT_EQ(dst("bitmap_clr_5.add").substr(0, 10), "0000000\t4\n");
  EXPECT_NE(dst("bitmap_clr_5.h").find("}BITMAP_CLR_WDNO_OFFSET={"), std::string::npos);

  // Per row: a run of six 33 (86 33), then the literal 54 76 (swapped).
  EXPECT_EQ(dst("bitmap_clr_6.dic"), repeat("8633025476", 4) + "\n\n");
  EXPECT_EQ(dst("bitmap_clr_6.add"), "0000000\t4\n0000014\t4\n");
  EXPECT_EQ(dst("bitmap_clr_6.inf"), "6\t004\t0010\t00000000\n");

  EXPECT_EQ(dst(workfiles::kMergedInfo), repeat("F\tFFF\tFFFF\tFFFFFFFF\n", 20) +
                                   "9\t033\t003A\t00000000\n"
                                   "4\t008\t0040\t00000000\n"
                                   "5\t040\t0040\t00000000\n"
                                   "6\t004\t0010\t00000000\n");
}

TEST_F(BitmapPhaseTest, TablesOfAnEarlierBuildAreRemoved) {
  writeFile(state.paths.destin / workfiles::kBmpFolder / "bitmap_clr_5.dic", "stale");
  writeFile(state.paths.destin / workfiles::kBmpFolder / "bitmap5.lst", "stale");
  runMonochrome({u"0014default.bmp"});
  EXPECT_FALSE(dstExists("bitmap_clr_5.dic"));
  EXPECT_FALSE(dstExists("bitmap5.lst"));
}

TEST_F(BitmapPhaseTest, ManyPictureNamesOfWhichNoneExists) {
  std::vector<std::u16string> list = {u"0014default.bmp"};
  for (std::uint32_t n = 0x15; n < 0x15 + 65000; ++n) {
    char number[8];
    std::snprintf(number, sizeof number, "%04x", n);
    std::u16string entry(number, number + 4);
    list.push_back(entry + u"p.bmp");
  }
  runMonochrome(list);
  const std::string inf = dst(workfiles::kMergedInfo);
  EXPECT_EQ(std::count(inf.begin(), inf.end(), '\n'), 20 + 1 + 65000);
  EXPECT_EQ(inf.substr(inf.size() - 20), "F\tFFF\tFFFF\tFFFFFFFF\n");
}

TEST_F(BitmapPhaseTest, EntriesOutOfOrderOrMalformedAreLeftOut) {
  runMonochrome({u"0014default.bmp", u"0014again.bmp", u"zz", u"0016late.bmp"});
  // Number 21 is a filler so that line 22 stands for picture 22.
  EXPECT_EQ(mid(workfiles::kPictureList), repeat("Default\t0\n", 20) + "bmp00014\t1\t::default.bmp\nDefault\t0\nbmp00016\t0\n");
}

TEST_F(BitmapPhaseTest, ColourStoreAddressTableAndData) {
  const std::string a = makeBmp(7, 5, 24, [](int, int) { return 0x102030u; });
  writeFile(state.paths.middata / workfiles::kBmpExtFolder / "a.jpg", a);
  writeFile(state.paths.middata / workfiles::kBmpExtFolder / "b.gif", "xyz");  // not a picture: sizes 0
  writeColourStore({u"0001a.jpg", u"0002b.gif", u"0003gone.jpg"}, state.paths.middata / workfiles::kBmpExtFolder,
                   state.paths.destin / workfiles::kBmpExtFolder, log);
  PictureInfo info;
  ASSERT_GE(CheckFileFormat(state.paths.middata / workfiles::kBmpExtFolder / "a.jpg", info), 1);
  char first[64];
  std::snprintf(first, sizeof first, "000001\t000000\t%04x\t%04x\n", info.width, info.height);
  char end[64];
  std::snprintf(end, sizeof end, "FFFFFF\t%06zx\t0000\t0000\n", a.size() + 3);
  char second[64];
  std::snprintf(second, sizeof second, "000002\t%06zx\t0000\t0000\n", a.size());
  char third[64];
  std::snprintf(third, sizeof third, "000003\t%06zx\t0000\t0000\n", a.size() + 3);
  EXPECT_EQ(readFile(state.paths.destin / workfiles::kBmpExtFolder / workfiles::kColourAddressTable),
            std::string(first) + second + third + end);
  EXPECT_EQ(readFile(state.paths.destin / workfiles::kBmpExtFolder / workfiles::kColourData), a + "xyz");
}

TEST_F(BitmapPhaseTest, ColourStoreRefusesNamesThatLeaveItsFolder) {
  writeFile(dir / "secret", "secret");
  writeColourStore({u"0001../../secret"}, state.paths.middata / workfiles::kBmpExtFolder, state.paths.destin / workfiles::kBmpExtFolder, log);
  EXPECT_EQ(readFile(state.paths.destin / workfiles::kBmpExtFolder / workfiles::kColourData), "");
}

TEST_F(BitmapPhaseTest, ColourCoverPictureGoesInFrontAndSetsTheFlag) {
  addMedia("cover.bmp", makeBmp(40, 30, 24, [](int x, int) { return x * 0x010203u; }));
  state.conversion.coverPicture = u"Cover.BMP";
  state.conversion.media.otherList = {u"0001photo.jpg"};
  writeColourPictures(state.context());
  ASSERT_EQ(state.conversion.media.otherList.size(), 2u);
  EXPECT_EQ(state.conversion.media.otherList[0], u"0000cover.bmp_1y2x");
  EXPECT_EQ(state.mediaPhases.coverPictureFlag, 1);
  EXPECT_TRUE(fs::exists(state.paths.middata / workfiles::kBmpExtFolder / "cover.bmp_1y2x"));
  EXPECT_TRUE(fs::exists(state.paths.destin / workfiles::kBmpExtFolder / workfiles::kColourAddressTable));
}

TEST_F(BitmapPhaseTest, MonochromeCoverClearsTheFlagAndStillBuildsTheStore) {
  addMedia("cover.bmp", makeBmp(16, 8, 1, [](int x, int) { return x & 1u; }, {{255, 255, 255}, {0, 0, 0}}));
  state.conversion.coverPicture = u"cover.bmp";
  state.mediaPhases.coverPictureFlag = 1;
  writeColourPictures(state.context());
  EXPECT_EQ(state.mediaPhases.coverPictureFlag, 0);
  ASSERT_EQ(state.conversion.media.otherList.size(), 1u);
  const std::string add = readFile(state.paths.destin / workfiles::kBmpExtFolder / workfiles::kColourAddressTable);
  EXPECT_EQ(add.substr(0, 14), "000000\t000000\t");
}

TEST_F(BitmapPhaseTest, FailedCoverConversionLeavesTheListAndClearsAnEarlierFlag) {
  addMedia("cover.bmp", "not a picture");
  state.conversion.coverPicture = u"cover.bmp";
  state.mediaPhases.coverPictureFlag = 1;
  writeColourPictures(state.context());
  EXPECT_EQ(state.mediaPhases.coverPictureFlag, 0);
  EXPECT_TRUE(state.conversion.media.otherList.empty());
  EXPECT_FALSE(fs::exists(state.paths.destin / workfiles::kBmpExtFolder / workfiles::kColourAddressTable)) << "no colour picture, no store";

  state.conversion.coverPicture = u"unlisted.bmp";
  writeColourPictures(state.context());
  EXPECT_TRUE(state.conversion.media.otherList.empty());
}

TEST_F(BitmapPhaseTest, ListedPicturesThatCannotBeReadAreWarnedAboutAndNeverWaitedOn) {
  const std::string bmp = makeBmp(2, 2, 1, [](int, int) { return 1u; }, {{0, 0, 0}, {255, 255, 255}});
  addMedia("good.bmp", bmp);
  addMedia("gone.bmp", bmp);
  addMedia("fifo.bmp", bmp);
  addMedia("cover.bmp", bmp);
  for (const char* name : {"gone.bmp", "fifo.bmp", "cover.bmp"}) fs::remove(state.mediaList[name]);
  for (const char* name : {"fifo.bmp", "cover.bmp"}) ASSERT_TRUE(test::makeFifo(state.mediaList[name]));
  state.conversion.coverPicture = u"cover.bmp";
  EXPECT_TRUE(test::endsWithoutWaitingOn(state.mediaList["cover.bmp"], [&] { writeColourPictures(state.context()); }));
  std::vector<std::string> warnings;
  EXPECT_TRUE(test::endsWithoutWaitingOn(state.mediaList["fifo.bmp"], [&] {
    writeMonochromeTables(state.paths, state.mediaList, {u"0015good.bmp", u"0016gone.bmp", u"0017fifo.bmp"},
                          state.sink,
                          &warnings);
  }));
  EXPECT_EQ(mid(workfiles::kPictureList), repeat("Default\t0\n", 21) + "bmp00015\t1\t::good.bmp\nbmp00016\t0\nbmp00017\t0\n");
  auto warning = [&](const char* name, const char* reason) {
    return "the picture " + state.mediaList[name].string() + " could not be read during the build (" + reason +
           "); the default picture stands in its place";
  };
  EXPECT_EQ(warnings, (std::vector<std::string>{warning("gone.bmp", "No such file or directory"),
                                                warning("fifo.bmp", "Not a regular file")}));
  EXPECT_EQ(state.warnings, std::vector<std::string>{"the cover picture " + state.mediaList["cover.bmp"].string() +
                                                     " could not be read during the build (Not a regular file); "
                                                     "the drill has no cover picture"});
}

}  // namespace
}  // namespace dm::bitmap
