#include "dictcompiler/word_select.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "dictcompiler/split_file.h"
#include "platform/failure.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"
#include "textio/wide_line.h"
#include "word_select_reference.h"

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

// Generated texts, selected by selectWords and by the plain reference: the
// same lines and the same counts of distinct substrings in every pass.
struct ReferenceCase {
  const char* name;
  std::u16string alphabet;
  bool words;  // lines of words made of the alphabet, else of single characters
  int lines, maxChars;
  int minLen, maxLen;
  const char* rules;  // "" for the default table
  bool cuts = true;   // whether any word is selected
};

void PrintTo(const ReferenceCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::u16string> generate(const ReferenceCase& c) {
  std::mt19937 rng(12345);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  std::vector<std::u16string> vocabulary;
  for (int i = 0; i < 12; ++i) {
    std::u16string w;
    for (std::size_t k = 1 + pick(6); k > 0; --k) w.push_back(c.alphabet[pick(c.alphabet.size())]);
    vocabulary.push_back(w);
  }
  std::vector<std::u16string> lines;
  for (int i = 0; i < c.lines; ++i) {
    const std::size_t chars = pick(static_cast<std::size_t>(c.maxChars) + 1);
    std::u16string l;
    while (l.size() < chars) {
      if (c.words && pick(8) != 0)
        l += vocabulary[pick(vocabulary.size())];
      else
        l.push_back(c.alphabet[pick(c.alphabet.size())]);
    }
    lines.push_back(l);
  }
  return lines;
}

std::vector<std::string> passCounts(const std::string& log) {
  std::vector<std::string> out;
  std::string line;
  for (char ch : log) {
    if (ch != '\r' && ch != '\n') {
      line.push_back(ch);
      continue;
    }
    if (line.rfind("scan len=", 0) == 0 || line.rfind("Mark select len=", 0) == 0) out.push_back(line);
    line.clear();
  }
  return out;
}

class SelectWordsAgreesWithReference : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(SelectWordsAgreesWithReference, SameLinesAndPassCounts) {
  const ReferenceCase& c = GetParam();
  const std::vector<std::u16string> texts = generate(c);
  const MinFreqTable table = rules(c.rules);
  const test::ReferenceSelection want = test::referenceSelectWords(texts, table, c.minLen, c.maxLen);

  std::vector<SplitLine> lines;
  for (const std::u16string& t : texts) lines.push_back(SplitLine{0, 0, t});
  std::ostringstream log;
  CompileContext ctx;
  {
    CompileState s(ctx);
    s.out = &log;
    selectWords(lines, table, c.minLen, c.maxLen, &s);
  }
  EXPECT_EQ(passCounts(log.str()), want.log);
  ASSERT_EQ(lines.size(), want.texts.size());
  std::size_t cut = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(utf16ToUtf8(lines[i].text), utf16ToUtf8(want.texts[i])) << "line " << i;
    cut += static_cast<std::size_t>(std::count(want.texts[i].begin(), want.texts[i].end(), kTokenSeparator));
  }
  EXPECT_EQ(cut > 0, c.cuts);
}

INSTANTIATE_TEST_SUITE_P(
    Generated, SelectWordsAgreesWithReference,
    ::testing::Values(
        ReferenceCase{"TwoLetters", u"ab", false, 40, 30, 4, 200, ""},
        ReferenceCase{"FourLettersManyLines", u"abcd", false, 600, 40, 4, 200, ""},
        ReferenceCase{"Words", u"abcdefgh ", true, 80, 90, 4, 200, ""},
        ReferenceCase{"WordsEveryOccurrenceCounts", u"abcdefgh ", true, 80, 90, 4, 200, "<=200 1\n"},
        ReferenceCase{"WordsTwoLetterWords", u"abcdef", true, 60, 60, 2, 200, ""},
        // The scan's first pass (3 characters) finds no marks of 2.
        ReferenceCase{"WordsFromSixBytesFindNoCandidates", u"abcdef", true, 60, 60, 6, 200, "<=200 2\n", false},
        ReferenceCase{"WordsUpToTenBytes", u"abcdefgh ", true, 80, 90, 4, 10, ""},
        ReferenceCase{"WordsUpToThirtyBytes", u"abcdefgh ", true, 80, 90, 4, 30, "<=200 3\n"},
        ReferenceCase{"LongRuns", u"aaaaaaab", false, 30, 150, 4, 200, ""},
        ReferenceCase{"LongRunsShortCap", u"aaaaaaab", false, 30, 150, 4, 20, ""},
        ReferenceCase{"ZeroCharactersAndCarriageReturns", std::u16string(u"ab\0\r", 4), false, 60, 30, 4, 200, ""},
        ReferenceCase{"KanjiAndKana", u"\u4e00\u4e8c\u4e09\u3042\u3044\u3001\u3002A1", true, 120, 70, 4, 200, ""},
        ReferenceCase{"ManyDistinctSubstrings", u"0123456789abcdefghijklmnopqrstuvwxyz", false, 800, 60, 4, 200,
                      "<=200 1\n"},
        ReferenceCase{"LongestBelowShortest", u"ab", false, 30, 30, 8, 6, "", false}),
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
