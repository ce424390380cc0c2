#include "dictcompiler/word_select.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "dictcompiler/split_file.h"
#include "platform/failure.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"
#include "textio/wide_line.h"

namespace dm {
namespace {

MinFreqTable rules(const char* text) {
  MinFreqTable t = defaultMinFreq();
  std::istringstream in(text);
  applyFreqRules(t, in);
  return t;
}

TEST(MinFreqTest, DefaultTable) {
  const MinFreqTable t = defaultMinFreq();
  const std::vector<std::pair<int, std::uint32_t>> expect{{0, 10}, {4, 10}, {5, 10}, {6, 7},  {7, 7},   {8, 5},
                                                          {9, 5},  {10, 4}, {29, 4}, {30, 3}, {200, 3}};
  for (auto [len, freq] : expect) EXPECT_EQ(t[len], freq) << len;
}

TEST(MinFreqTest, RulesApplyTheFirstMatchInFileOrder) {
  const MinFreqTable t = rules(
      ":comment\n"
      "\n"
      "8 9\n"        // equality
      "<6 12\n"      // 0-5
      "<=8 20\n"     // 6, 7 (8 matched above)
      ">=30 2\n"     // 30 and more
      ">10 6\r\n"    // 11-29
      "x 1 1\n"      // not a rule
      ">= 100\n");   // one number: not a rule
  EXPECT_EQ(t[0], 12u);
  EXPECT_EQ(t[5], 12u);
  EXPECT_EQ(t[6], 20u);
  EXPECT_EQ(t[8], 9u);
  EXPECT_EQ(t[9], 5u);   // no rule: default
  EXPECT_EQ(t[10], 4u);  // no rule: default
  EXPECT_EQ(t[11], 6u);
  EXPECT_EQ(t[29], 6u);
  EXPECT_EQ(t[30], 2u);
  EXPECT_EQ(t[200], 2u);
}

struct SelectCase {
  const char* name;
  std::vector<std::string> lines;  // UTF-8
  const char* rules;               // "" for the default table
  std::vector<std::string> expect; // '|' stands for the separator U+0010
};

class SelectWordsCases : public ::testing::TestWithParam<SelectCase> {};

TEST_P(SelectWordsCases, CutsTheLinesAtTheSelectedWords) {
  const SelectCase& c = GetParam();
  std::vector<SplitLine> lines;
  for (const std::string& l : c.lines) lines.push_back(SplitLine{0, 0, utf8ToUtf16(l)});
  selectWords(lines, rules(c.rules), 4, 200, nullptr);
  ASSERT_EQ(lines.size(), c.expect.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string got = utf16ToUtf8(lines[i].text);
    for (char& ch : got)
      if (ch == '\x10') ch = '|';
    EXPECT_EQ(got, c.expect[i]) << i;
  }
}

std::vector<std::string> numbered(const std::string& stem, int n) {
  std::vector<std::string> v;
  for (int i = 0; i < n; ++i) v.push_back(stem + static_cast<char>('A' + i));
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Selection, SelectWordsCases,
    ::testing::Values(
        // A two-character word needs 10 occurrences with the default table.
        SelectCase{"TwoCharsTenTimes", numbered("ab", 10), "", numbered("ab|", 10)},
        SelectCase{"TwoCharsNineTimes", numbered("ab", 9), "", numbered("ab", 9)},
        // Twice is never a candidate, even when one occurrence would do.
        SelectCase{"TwiceIsNeverMarked", {"abc1", "abc2"}, "<=200 1\n", {"abc1", "abc2"}},
        SelectCase{"ThreeTimesWithLowThreshold", {"abc1", "abc2", "abc3"}, "<=200 1\n",
                   {"abc|1", "abc|2", "abc|3"}},
        SelectCase{"ThreeTimesBelowDefaultThreshold", {"abc1", "abc2", "abc3"}, "", {"abc1", "abc2", "abc3"}},
        // Adjacent words get one separator; a word inside a line two.
        SelectCase{"AdjacentAndInnerWords",
                   {"abc1", "abc2", "abc3", "def4", "def5", "def6", "abcdef", "xabcy"},
                   "<=200 1\n",
                   {"abc|1", "abc|2", "abc|3", "def|4", "def|5", "def|6", "abc|def", "x|abc|y"}},
        // A run of 20 equal characters: the candidates of 20 and 19
        // characters occur once and twice; 18 characters reach the threshold
        // 3 at the third position, so the walk counts overlapping
        // occurrences until then. The two left over stay text.
        SelectCase{"OverlappingOccurrences", {std::string(20, 'a')}, "", {std::string(18, 'a') + "|aa"}},
        // The longest repeated word wins over its parts.
        SelectCase{"LongestFirst",
                   {"Xquestion-text-long-1", "Yquestion-text-long-2", "Zquestion-text-long-3"},
                   "",
                   {"X|question-text-long-|1", "Y|question-text-long-|2", "Z|question-text-long-|3"}},
        SelectCase{"NoLines", {}, "", {}},
        SelectCase{"EmptyLines", {"", ""}, "", {"", ""}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(SelectWordsTest, TrailingCrIsDroppedAsTheSplitFileReaderDoes) {
  std::vector<SplitLine> lines{SplitLine{0, 0, u"ab\r"}};
  selectWords(lines, defaultMinFreq(), 4, 200, nullptr);
  EXPECT_EQ(lines[0].text, u"ab");
}

TEST(SelectWordsTest, ReportsProgressOfTheScanAndTheSelection) {
  std::vector<SplitLine> lines{SplitLine{0, 0, u"abcabc"}};
  test::RecordingSink sink;
  CompileContext ctx;
  ctx.sink = &sink;
  {
    CompileState s(ctx);
    selectWords(lines, defaultMinFreq(), 4, 200, &s);
  }
  EXPECT_TRUE(sink.logged("scan len=4 words="));
  EXPECT_NE(std::find(sink.lines.begin(), sink.lines.end(), "Mark select len=200 words=0"), sink.lines.end());
  EXPECT_NE(std::find(sink.lines.begin(), sink.lines.end(), "out split file...     "), sink.lines.end());
}

// Libraries are selected side by side; each must come out as if selected
// alone, with the progress texts in library order and a failure of any
// library reported.
TEST(SelectWordLibsTest, EveryLibraryAsAloneWithProgressInLibraryOrder) {
  test::TempDir dir;
  test::RecordingSink sink;
  CompileContext ctx;
  ctx.sink = &sink;
  CompileState s(ctx);
  s.dict.addTag("DF_q", u"DF_q", "a1");
  const std::vector<std::u16string> texts{u"short", u"abcabcabcabcabcabcabcabcabcabcabcabc", u"xyzxyz", u""};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    WordLib lib;
    lib.name = "a" + std::to_string(i + 1);
    lib.splitPath = dir / (lib.name + ".spl");
    for (int k = 0; k < 12; ++k) lib.lines.push_back(SplitLine{static_cast<std::uint32_t>(k), 0, texts[i]});
    s.libs.push_back(lib);
  }
  SelectWordLibs(s);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    std::vector<SplitLine> alone;
    for (int k = 0; k < 12; ++k) alone.push_back(SplitLine{static_cast<std::uint32_t>(k), 0, texts[i]});
    selectWords(alone, defaultMinFreq(), 4, 200, nullptr);
    for (std::size_t k = 0; k < alone.size(); ++k) EXPECT_EQ(s.libs[i].lines[k].text, alone[k].text) << i;
    EXPECT_EQ(test::readFile(s.libs[i].splitPath), encodeSplitFile(s.dict, alone)) << i;
  }
  auto at = sink.lines.begin();
  for (const char* name : {"a1", "a2", "a3", "a4"}) {
    const auto found = std::find_if(at, sink.lines.end(), [&](const std::string& line) {
      return line.find(std::string("select word lib ") + name) != std::string::npos;
    });
    ASSERT_NE(found, sink.lines.end()) << name;
    at = found;
  }

  s.libs[2].splitPath = dir / "missing" / "a3.spl";
  try {
    SelectWordLibs(s);
    FAIL() << "an unwritable split file must fail the compile";
  } catch (const PassFailure& e) {
    EXPECT_NE(std::string(e.what()).find("a3.spl"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace dm
