#include "textio/case_fold.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(CaseFold, LowersLettersOfTheCommonScriptsOnly) {
  EXPECT_EQ(lowerCase(u"CAT.BMP"), u"cat.bmp");
  EXPECT_EQ(lowerCase(u"ÄÖ×"), u"äö×");
  EXPECT_EQ(lowerCase(u"ＡＢｃ"), u"ａｂｃ");
  EXPECT_EQ(lowerCase(u"ねこ.MP3"), u"ねこ.mp3");
  EXPECT_EQ(lowerCaseUtf8("Ｘ.BMP"), "ｘ.bmp");
  EXPECT_TRUE(equalsIgnoringCase(u"Song.Mp3", u"song.MP3"));
  EXPECT_FALSE(equalsIgnoringCase(u"song.mp3", u"song.mp"));
}

TEST(CaseFold, TheExtensionIsFromTheLastDot) {
  const struct {
    const char* name;
    const char* extension;
  } cases[] = {
      {"Quiz.XLSX", ".xlsx"}, {"a.b.TXT", ".txt"}, {"noextension", ""}, {"trailing.", "."}, {".ods", ".ods"},
  };
  for (const auto& c : cases) EXPECT_EQ(lowerCaseExtension(c.name), c.extension) << c.name;
}

}  // namespace
}  // namespace dm
