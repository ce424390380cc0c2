#include "intake/media_check.h"

#include <gtest/gtest.h>

#include "intake_fixture.h"
#include "support/fifo.h"
#include "support/temp_dir.h"
#include "textio/wide_line.h"

namespace dm {
namespace {

using test::FakeMedia;

struct MediaFixture : testing::Test {
  FakeMedia media;
  IntakeState state;
  CheckContext context;

  void SetUp() override { state.lineNumber = 4; }
  void newLine() {
    ++state.lineNumber;
    state.media.reportedPictures.clear();
    state.media.reportedSounds.clear();
  }
  std::vector<std::u16string> texts() const {
    std::vector<std::u16string> out;
    for (const ErrorEntry& e : state.errors) out.push_back(e.text);
    return out;
  }
};

TEST_F(MediaFixture, PictureResultsAndFindings) {
  media.addPicture("bad.bmp", 0);
  media.addPicture("neg.bmp", -2);
  media.addPicture("tall.bmp", 1, 3, 1501);
  media.addPicture("high.bmp", 1, 3, 1500);
  media.addPicture("anim.gif", 1, 2);
  media.addPicture("seven.bmp", 7);
  context = media.context();
  const std::u16string longName(260, u'a');
  struct Case {
    std::u16string name;
    int result;
    std::vector<std::pair<int, int>> findings;  // (code, type)
  } cases[] = {
      {u"", -1, {}},
      {longName, -1, {{32, kLineEntry}}},
      {std::u16string(259, u'a'), 32, {{32, kLineEntry}}},
      {u"x.bmp ", -1, {{32, kLineEntry}}},
      {u"x.bmp\u3000", -1, {{32, kLineEntry}}},
      {u"missing.bmp", 32, {{32, kLineEntry}}},
      {u"bad.bmp", 22, {{22, kPictureEntry}}},
      {u"neg.bmp", 22, {{22, kPictureEntry}}},
      {u"tall.bmp", 22, {{22, kPictureEntry}}},
      {u"high.bmp", 1, {}},
      {u"anim.gif", 1, {{57, kPictureEntry}}},
      {u"seven.bmp", 7, {}},
      {u"Seven.BMP", 7, {}},
  };
  for (const Case& c : cases) {
    state = IntakeState{};
    EXPECT_EQ(checkPicture(state, context, c.name, true), c.result) << utf16ToUtf8(c.name);
    EXPECT_EQ(test::codesOf(state), c.findings) << utf16ToUtf8(c.name);
  }
}

TEST_F(MediaFixture, PictureReportedOncePerLineAndOnlyWhenAsked) {
  context = media.context();
  checkPicture(state, context, u"cat.bmp", true);
  checkPicture(state, context, u"cat.bmp", true);
  newLine();
  checkPicture(state, context, u"cat.bmp", true);
  checkPicture(state, context, u"dog.bmp", false);
  checkPicture(state, context, u"dog.bmp", true);  // already seen on this line
  EXPECT_EQ(texts(), (std::vector<std::u16string>{u"00000004<F>cat.bmp", u"00000005<F>cat.bmp"}));
}

TEST_F(MediaFixture, PictureLimitGivesOneSummaryEntry) {
  context = media.context();
  for (std::uint32_t i = 0; i < kMaxPictures; ++i) {
    const std::string name = "p" + std::to_string(i) + ".bmp";
    media.add(name);
    ASSERT_EQ(checkPicture(state, context, utf8ToUtf16(name), true), 1);
  }
  EXPECT_TRUE(state.errors.empty());
  EXPECT_EQ(checkPicture(state, context, u"p0.bmp", true), 1);  // known name: not counted again
  EXPECT_TRUE(state.errors.empty());
  media.add("over1.bmp");
  media.add("over2.bmp");
  EXPECT_EQ(checkPicture(state, context, u"over1.bmp", true), 1);
  EXPECT_EQ(checkPicture(state, context, u"over2.bmp", false), 1);
  EXPECT_EQ(test::codesOf(state), (std::vector<std::pair<int, int>>{{50, kSummaryEntry}}));
  EXPECT_EQ(state.media.pictureCount, kMaxPictures + 2);
  EXPECT_EQ(state.media.pictureNames.size(), kMaxPictures);
}

TEST_F(MediaFixture, SoundResultsAndFindings) {
  media.addSound("bad.mp3", -1);
  media.addSound("wrapped.rmp", 0);
  media.addSound("odd.mp3", -3);
  media.add("song.wav");
  context = media.context();
  struct Case {
    std::u16string name;
    int result;
    std::vector<std::pair<int, int>> findings;
  } cases[] = {
      {std::u16string(260, u'a'), -1, {{31, kLineEntry}}},
      {u"s.mp3 ", -1, {{31, kLineEntry}}},
      {u"song.wav", -1, {{7, kLineEntry}}},
      {u"noextension", -1, {{7, kLineEntry}}},
      {u"missing.MP3", -1, {{31, kLineEntry}}},
      {u"bad.mp3", -1, {{22, kSoundEntry}}},
      {u"wrapped.rmp", 0, {}},
      {u"WRAPPED.Rmp", 0, {}},
      {u"odd.mp3", -3, {}},
  };
  for (const Case& c : cases) {
    state = IntakeState{};
    EXPECT_EQ(checkSound(state, context, c.name, true), c.result) << utf16ToUtf8(c.name);
    EXPECT_EQ(test::codesOf(state), c.findings) << utf16ToUtf8(c.name);
  }
  state = IntakeState{};
  state.lineNumber = 9;
  checkSound(state, context, std::u16string(300, u'b'), true);
  EXPECT_EQ(texts(), std::vector<std::u16string>{u"00000009"});  // too long: no name
}

TEST_F(MediaFixture, SoundReferencesAreCountedEachTime) {
  media.addSound("a.mp3", 0);
  context = media.context();
  checkSound(state, context, u"a.mp3", true);
  checkSound(state, context, u"a.mp3", true);
  EXPECT_EQ(state.media.soundReferences, 2u);
  state.media.soundReferences = kMaxSoundReferences;
  checkSound(state, context, u"a.mp3", false);
  EXPECT_EQ(test::codesOf(state), (std::vector<std::pair<int, int>>{{51, kLineEntry}}));
}

// A 2 x 2 picture of 24-bit pixels.
std::string smallBmp() {
  auto le = [](std::uint32_t v, int n) {
    std::string b;
    for (int i = 0; i < n; ++i) b.push_back(i < 4 ? static_cast<char>(v >> (8 * i)) : '\0');
    return b;
  };
  std::string bmp = "BM" + le(54 + 16, 4) + le(0, 4) + le(54, 4);
  bmp += le(40, 4) + le(2, 4) + le(2, 4) + le(1, 2) + le(24, 2) + le(0, 4) + le(16, 4) + le(0, 16);
  bmp += std::string(16, '\x7F');
  return bmp;
}

TEST(MediaCheckFiles, RealPicturesAndSoundsThroughTheLibraries) {
  test::TempDir dir;
  MediaList list;
  auto add = [&](const std::string& name, const std::string& bytes) {
    test::writeFile(dir / name, bytes);
    list[name] = dir / name;
  };
  add("good.bmp", smallBmp());
  add("noise.bmp", "not a picture at all");
  add("empty.mp3", "");
  add("noise.mp3", std::string(300, 'n'));
  CheckContext context;
  context.mediaList = &list;
  IntakeState state;
  EXPECT_GE(checkPicture(state, context, u"good.bmp", true), 1);
  EXPECT_EQ(checkPicture(state, context, u"noise.bmp", true), 22);
  EXPECT_EQ(checkSound(state, context, u"empty.mp3", true), 0);
  EXPECT_EQ(checkSound(state, context, u"noise.mp3", true), -1);
  EXPECT_EQ(test::codesOf(state), (std::vector<std::pair<int, int>>{{22, kPictureEntry}, {22, kSoundEntry}}));
}

TEST(MediaCheckFiles, FifosInThePlaceOfMediaAreFormatErrorsAndNeverWaitedOn) {
  test::TempDir dir;
  MediaList list;
  for (const char* name : {"fifo.bmp", "fifo.mp3", "fifo.rmp"}) {
    ASSERT_TRUE(test::makeFifo(dir / name));
    list[name] = dir / name;
  }
  CheckContext context;
  context.mediaList = &list;
  IntakeState state;
  EXPECT_TRUE(test::endsWithoutWaitingOn(dir / "fifo.bmp", [&] {
    EXPECT_EQ(checkPicture(state, context, u"fifo.bmp", true), 22);
  }));
  for (const char* name : {"fifo.mp3", "fifo.rmp"}) {
    EXPECT_TRUE(test::endsWithoutWaitingOn(dir / name, [&] {
      EXPECT_EQ(checkSound(state, context, utf8ToUtf16(name), true), -1);
    })) << name;
  }
  EXPECT_EQ(test::codesOf(state),
            (std::vector<std::pair<int, int>>{{22, kPictureEntry}, {22, kSoundEntry}, {22, kSoundEntry}}));
}

TEST_F(MediaFixture, NothingListedMeansNotFound) {
  CheckContext empty;
  EXPECT_EQ(checkPicture(state, empty, u"a.bmp", true), 32);
  EXPECT_EQ(checkSound(state, empty, u"a.mp3", true), -1);
}

}  // namespace
}  // namespace dm
