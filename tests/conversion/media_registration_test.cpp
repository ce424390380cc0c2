#include "conversion/media_registration.h"

#include <gtest/gtest.h>

#include "conversion/media_fixture.h"
#include "conversion/settings_reader.h"

namespace dm {
namespace {

namespace fs = std::filesystem;

using test::FakePicture;
using test::MediaFixture;

class Registration : public ::testing::Test, public MediaFixture {
 protected:
  PictureRegistration pic(std::u16string_view name) { return registerPicture(state.context(), converter(), name); }
  const MediaRegistration& media() { return state.conversion.media; }
};

TEST_F(Registration, FirstCallRegistersTheDefaultPicture) {
  EXPECT_EQ(pic(u"").id, u"0014");
  EXPECT_EQ(media().monochromeList, std::vector<std::u16string>{u"0014default.bmp"});
  EXPECT_EQ(media().nextMonochrome, 21u);
  pic(u"");
  EXPECT_EQ(media().monochromeList.size(), 1u);
}

TEST_F(Registration, DefaultIdCases) {
  picture("broken.jpg", {-3, 0, 0});
  const char16_t* names[] = {u"", u"   ", u"missing.bmp", u"broken.jpg", u"../x.bmp", u"a/b.bmp"};
  for (const char16_t* name : names) {
    PictureRegistration r = pic(name);
    EXPECT_EQ(r.id, u"0014");
    EXPECT_FALSE(r.other);
  }
  EXPECT_EQ(media().monochromeList.size(), 1u);
  EXPECT_TRUE(media().otherList.empty());
}

TEST_F(Registration, MonochromeAndOtherPictures) {
  picture("Mono.BMP", {1, 1, 10});
  picture("grey.bmp", {1, 4, 10});
  picture("photo.jpg", {1, 5, 10});
  EXPECT_EQ(pic(u"Mono.BMP").id, u"0015");
  EXPECT_EQ(lastTarget, workfiles::convertedPictureFolderPath(state.paths) / "mono.bmp");
  EXPECT_EQ(lastWidth, 800);
  EXPECT_EQ(lastHeight, -1);
  EXPECT_EQ(pic(u"grey.bmp  ").id, u"0016");  // trailing spaces go
  PictureRegistration photo = pic(u"photo.jpg");
  EXPECT_EQ(photo.id, u"020001");
  EXPECT_TRUE(photo.other);
  // Known names are not converted again, whatever their case.
  EXPECT_EQ(conversions, 3);
  EXPECT_EQ(pic(u"MONO.bmp").id, u"0015");
  EXPECT_EQ(pic(u"Photo.JPG").id, u"020001");
  EXPECT_TRUE(pic(u"Photo.JPG").other);
  EXPECT_EQ(conversions, 3);
  EXPECT_EQ(media().monochromeList,
            (std::vector<std::u16string>{u"0014default.bmp", u"0015mono.bmp", u"0016grey.bmp"}));
  EXPECT_EQ(media().otherList, std::vector<std::u16string>{u"0001photo.jpg"});
  EXPECT_EQ(media().pictureBytes, 30u);
}

TEST_F(Registration, FailedConversionIsNotRetried) {
  picture("bad.gif", {-1, 0, 0});
  EXPECT_EQ(pic(u"bad.gif").id, u"0014");
  EXPECT_EQ(pic(u"bad.gif").id, u"0014");
  EXPECT_EQ(conversions, 1);
}

TEST_F(Registration, OnlyAPictureThatCannotBeReadAnyMoreIsWarnedAbout) {
  picture("broken.jpg", {-1, 0, 0});
  picture("gone.bmp", {-1, 0, 0});
  fs::remove(state.mediaList["gone.bmp"]);
  for (const char16_t* name : {u"broken.jpg", u"gone.bmp", u"gone.bmp", u"missing.bmp"}) EXPECT_EQ(pic(name).id, u"0014");
  EXPECT_EQ(state.warnings, std::vector<std::string>{"the picture " + state.mediaList["gone.bmp"].string() +
                                                     " could not be read during the build (No such file or "
                                                     "directory); the default picture stands in its place"});
}

TEST_F(Registration, PictureByteLimit) {
  picture("big.jpg", {1, 5, 838860700});
  picture("fits.bmp", {1, 1, 99});
  picture("over.bmp", {1, 1, 1});
  picture("late.bmp", {1, 1, 1});
  EXPECT_EQ(pic(u"big.jpg").id, u"020001");
  EXPECT_EQ(pic(u"fits.bmp").id, u"0015");  // 838,860,799: still below
  EXPECT_EQ(pic(u"over.bmp").id, u"0014");  // reaches 800 MiB
  EXPECT_EQ(pic(u"late.bmp").id, u"0014");  // every later picture too
  EXPECT_EQ(media().pictureBytes, 838860800u);
}

TEST_F(Registration, PictureNumberLimit) {
  picture("a.jpg", {1, 5, 1});
  picture("b.jpg", {1, 5, 1});
  state.conversion.nextOtherPicture = 64999;
  EXPECT_EQ(pic(u"a.jpg").id, u"02fde7");  // the last number: 21 + 65000 = 65021 after it
  EXPECT_EQ(pic(u"b.jpg").id, u"0014");
  EXPECT_EQ(conversions, 1);
  // A picture registered before the numbers ran out keeps its id.
  EXPECT_EQ(pic(u"A.jpg").id, u"02fde7");
}

TEST_F(Registration, OtherPictureCounterOutlivesTheReset) {
  picture("a.jpg", {1, 5, 1});
  EXPECT_EQ(pic(u"a.jpg").id, u"020001");
  state.conversion.reset();
  EXPECT_TRUE(media().otherList.empty());
  EXPECT_EQ(pic(u"a.jpg").id, u"020002");
  EXPECT_EQ(media().otherList, std::vector<std::u16string>{u"0002a.jpg"});
  EXPECT_EQ(media().monochromeList, std::vector<std::u16string>{u"0014default.bmp"});
}

TEST_F(Registration, SoundIds) {
  list("one.mp3", "12345");
  list("Two.rmp", "1");
  EXPECT_EQ(registerSound(state.context(), u"one.mp3"), u"00000000");
  EXPECT_EQ(registerSound(state.context(), u"two.RMP"), u"00000001");
  EXPECT_EQ(registerSound(state.context(), u"ONE.mp3"), u"00000000");
  EXPECT_EQ(registerSound(state.context(), u"unlisted.mp3"), u"00000002");
  EXPECT_EQ(media().soundList,
            (std::vector<std::u16string>{u"00000000one.mp3", u"00000001two.rmp", u"00000002unlisted.mp3"}));
  EXPECT_EQ(media().soundBytes, 6u);
}

TEST_F(Registration, SoundByteLimit) {
  fs::path big = list("big.mp3");
  fs::resize_file(big, kMaxSoundBytes);  // sparse: takes no real space
  fs::path more = list("more.mp3", "x");
  list("later.mp3", "");
  EXPECT_EQ(registerSound(state.context(), u"big.mp3"), u"00000000");  // exactly 1 GiB: accepted
  EXPECT_EQ(registerSound(state.context(), u"more.mp3"), u"ffffffff");
  EXPECT_EQ(registerSound(state.context(), u"later.mp3"), u"ffffffff");  // total already above
  EXPECT_EQ(registerSound(state.context(), u"more.mp3"), u"ffffffff");
  EXPECT_EQ(media().soundList.size(), 1u);
}

TEST_F(Registration, SettingsLine) {
  picture("cover.jpg", {1, 5, 1});
  picture("q.bmp", {1, 1, 1});
  readSettings(state.context(), converter(), u"\tHow\t\t英語１ABCDEFGHIJKLMNOPQ\t\tcover.jpg\r\n");
  const ConversionState& c = state.conversion;
  EXPECT_EQ(std::u16string(c.menuLocation.data(), c.menuLocation.size()), u"英語１ABCDEFGHIJKLM");
  EXPECT_EQ(c.coverPicture, u"cover.jpg");
  EXPECT_EQ(c.media.otherList, std::vector<std::u16string>{u"0001cover.jpg"});

  readSettings(state.context(), converter(), u"\t\t\tツール\r\n");
  EXPECT_EQ(std::u16string(c.menuLocation.data(), 3), u"ツール");
  EXPECT_EQ(c.menuLocation[3], 0);
  EXPECT_TRUE(c.coverPicture.empty());
}

}  // namespace
}  // namespace dm
