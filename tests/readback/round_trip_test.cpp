// Builds drills with the real passes and reads the delivered containers back.
#include <gtest/gtest.h>

#include <sstream>

#include "driver/batch.h"
#include "readback/readback.h"
#include "support/temp_dir.h"
#include "batch_build.h"

namespace dm::readback {
namespace {

using test::TempDir;

using test_support::build;

std::string allText(const Report& r) {
  std::string text;
  for (const EntryText& e : r.entries)
    for (const std::string& line : e.lines) text += line + "\n";
  return text;
}

TEST(RoundTrip, TheBundledExampleVerifiesAndReadsBack) {
  TempDir dir;
  const std::string drl = build(dir, fs::path(DRILLMAKER_SOURCE_DIR) / "examples" / "quickstart", "quickstart");
  ASSERT_FALSE(drl.empty());
  Report r = inspectContainer(drl, true);
  for (const Check& c : r.checks) EXPECT_TRUE(c.ok) << c.name << ": " << c.detail;
  EXPECT_EQ(r.description.menuLocation, "ドリル");
  ASSERT_EQ(r.entries.size(), 7u);  // six questions and the how-to-use entry
  EXPECT_EQ(r.entries[0].categories, (std::vector<std::string>{"算数", "たし算", "1けた"}));
  EXPECT_EQ(r.entries[5].categories, (std::vector<std::string>{"英語", "単語", "色"}));
  EXPECT_TRUE(r.entries[6].categories.empty());
  const std::string text = allText(r);
  for (const char* expected : {"3 + 4 = ?", "3に4をたすと7です。", "«B»9 - 3«/B» = ?", "«I»9から3をひく«/I»と6です。",
                               "「ねこ」は英語で?", "[picture 0015]", "ねこは cat です。", "(2) cat", "(3) red",
                               "問題を読んで、正しい答えの番号を選んでください。"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " missing from:\n" << text;
}

TEST(RoundTrip, TheCommandReadsTheFileAsTheBytesInMemory) {
  TempDir dir;
  const std::string drl = build(dir, fs::path(DRILLMAKER_SOURCE_DIR) / "examples" / "quickstart", "quickstart");
  ASSERT_FALSE(drl.empty());
  test::writeFile(dir / "copy.drl", drl);
  const Report r = inspectContainer(drl, true);
  std::ostringstream text, json;
  printText(r, text);
  printJson(r, json);
  struct Case {
    std::vector<std::string> args;
    std::string expected;
  };
  const Case cases[] = {
      {{(dir / "copy.drl").string(), "--entries"}, text.str()},
      {{(dir / "copy.drl").string(), "--entries", "--json"}, json.str()},
  };
  for (const Case& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(runInspect(c.args, out, err), 0) << err.str();
    EXPECT_EQ(out.str(), c.expected);
    EXPECT_EQ(err.str(), "");
  }
}

TEST(RoundTrip, AUtf16DrillWithCategoriesAndTenChoices) {
  TempDir dir;
  std::u16string source =
      u"\uFEFF設定\t\t\t英語１\r\n"
      u"分類1\t分類2\t分類3\t番号\t問題\t正解\t解説\t時間\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\r\n"
      u"動物\t哺乳類\t陸\t1\tWhich one barks?\t10\tDogs bark.\t0:10\ta\tb\tc\td\te\tf\tg\th\ti\tdog\r\n"
      u"動物\t鳥類\t空\t2\t\"Two\nlines\"\t1\t\t\tyes\tno\r\n";
  std::string bytes;
  for (char16_t c : source) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  test::writeFile(dir / "src" / "words.txt", bytes);
  const std::string drl = build(dir, dir / "src", "words");
  ASSERT_FALSE(drl.empty());
  Report r = inspectContainer(drl, true);
  EXPECT_TRUE(r.allOk());
  EXPECT_EQ(r.description.menuLocation, "英語１");
  EXPECT_FALSE(r.description.hasHowToUse);
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_EQ(r.entries[0].categories, (std::vector<std::string>{"動物", "哺乳類", "陸"}));
  EXPECT_EQ(r.entries[1].categories, (std::vector<std::string>{"動物", "鳥類", "空"}));
  const std::string text = allText(r);
  for (const char* expected : {"Which one barks?", "Dogs bark.", "(10) dog", "Two", "lines", "(1) yes"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " missing from:\n" << text;
}

}  // namespace
}  // namespace dm::readback
