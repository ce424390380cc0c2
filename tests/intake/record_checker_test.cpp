#include "intake/record_checker.h"

#include <gtest/gtest.h>

#include <sstream>

#include "intake_fixture.h"

namespace dm {
namespace {

using test::bytesOf;
using test::codesOf;
using test::FakeMedia;
using test::plainCodes;
using test::record;
using test::wideOf;

// A valid record with three cases; `set` changes one field.
struct Rec {
  std::vector<std::u16string> f{u"cat1", u"cat2", u"cat3", u"1", u"question", u"1", u"comment", u"1:30",
                                u"case1", u"case2", u"case3"};
  Rec& set(std::size_t i, std::u16string v) {
    if (f.size() <= i) f.resize(i + 1);
    f[i] = std::move(v);
    return *this;
  }
  Rec& cases(int n) {
    f.resize(8);
    for (int k = 1; k <= n; ++k) f.push_back(u"case" + utf8ToUtf16(std::to_string(k)));
    return *this;
  }
  std::u16string line() const { return record(f); }
};

struct RecordCase {
  const char* what;
  std::u16string line;
  std::vector<int> codes;
  bool rejected;
};

void runRecordCases(const std::vector<RecordCase>& cases) {
  for (const RecordCase& c : cases) {
    IntakeState state;
    state.lineNumber = 3;
    EXPECT_EQ(checkRecord(state, c.line), c.rejected) << c.what;
    EXPECT_EQ(plainCodes(state), c.codes) << c.what;
  }
}

TEST(CheckRecord, StructureFindings) {
  std::vector<std::u16string> nineteen = Rec().cases(10).f;
  nineteen.push_back(u"beyond");
  runRecordCases({
      {"valid record", Rec().line(), {}, false},
      {"8 fields, no case", Rec().cases(0).line(), {11}, true},
      {"case 2 blank, case 3 filled", Rec().set(9, u" ").line(), {24}, false},
      {"case 2 blank and answer 2", Rec().set(9, u"").set(5, u"2").line(), {24, 53}, true},
      {"case 1 blank", Rec().set(8, u"<N>").line(), {24}, true},
      {"field beyond index 17", record(nineteen), {12}, false},
      {"field of 4,001 units", Rec().set(6, std::u16string(4001, u'x')).line(), {43}, true},
      {"field of 4,000 units", Rec().set(6, std::u16string(4000, u'x')).line(), {}, false},
  });
}

TEST(CheckRecord, TagRules) {
  runRecordCases({
      {"question only <N>", Rec().set(4, u"<N>").line(), {35}, true},
      {"question empty", Rec().set(4, u"").line(), {35}, true},
      {"right answer blank", Rec().set(5, u"\u3000").line(), {35}, true},
      {"right answer with <B>", Rec().set(5, u"<B>1").line(), {35}, true},
      {"category with <B>", Rec().set(1, u"<B>x</B>").line(), {35}, true},
      {"category with <I>", Rec().set(1, u"<I>x</I>").line(), {}, false},
      {"category with </P> alone", Rec().set(2, u"a</P>").line(), {30}, true},
      {"category with </V> alone", Rec().set(0, u"</V>").line(), {30}, true},
      {"question number with <U>", Rec().set(3, u"<U>1</U>").line(), {35}, true},
      {"time limit with <N>", Rec().set(7, u"<N>1:30").line(), {35}, true},
      {"time limit of only <N> is blank for the tag rule", Rec().set(7, u"<N>").line(), {40}, false},
      {"comment with every tag", Rec().set(6, u"<N><P>x</P><V>y</V><L><U><S><B><I>").line(), {}, false},
  });
  IntakeState state;
  state.lineNumber = 3;
  checkRecord(state, Rec().set(4, u"<N>").line());
  checkRecord(state, Rec().set(1, u"<B>x</B>").set(4, u"").line());  // only the first field's finding
  std::vector<std::u16string> texts;
  for (const ErrorEntry& e : state.errors) texts.push_back(e.text);
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"00000003<T>\u0027", u"00000003<T>\u0040"}));
}

TEST(CheckRecord, QuestionNumber) {
  runRecordCases({
      {"12345", Rec().set(3, u"12345").line(), {18}, true},
      {"9999", Rec().set(3, u"9999").line(), {}, false},
      {"0", Rec().set(3, u"0").line(), {}, false},
      {"empty", Rec().set(3, u"").line(), {}, false},
      {"blanks only", Rec().set(3, u" \u3000").line(), {}, false},
      {"full-width digits", Rec().set(3, u"１２３４").line(), {}, false},
      {"blanks around", Rec().set(3, u" 12 \u3000").line(), {}, false},
      {"letter", Rec().set(3, u"12a").line(), {18}, true},
      {"blank inside", Rec().set(3, u"1 2").line(), {18}, true},
  });
}

TEST(CheckRecord, RightAnswer) {
  runRecordCases({
      {"full-width 3 of five", Rec().cases(5).set(5, u"３").line(), {}, false},
      {"blanks around", Rec().cases(5).set(5, u" 2\u3000").line(), {}, false},
      {"10 of ten", Rec().cases(10).set(5, u"10").line(), {}, false},
      {"11", Rec().cases(10).set(5, u"11").line(), {53}, true},
      {"2a", Rec().cases(5).set(5, u"2a").line(), {20}, true},
      {"-1", Rec().cases(5).set(5, u"-1").line(), {20}, true},
      {"7 of five", Rec().cases(5).set(5, u"7").line(), {53}, true},
      {"0", Rec().cases(5).set(5, u"0").line(), {53}, true},
      {"huge", Rec().cases(5).set(5, u"99999999999999999999").line(), {53}, true},
  });
}

TEST(CheckRecord, TimeLimit) {
  runRecordCases({
      {"1:30", Rec().set(7, u"1:30").line(), {}, false},
      {"01:05 with blanks", Rec().set(7, u" 01:05\u3000").line(), {}, false},
      {"full-width digits", Rec().set(7, u"１:３０").line(), {}, false},
      {"empty", Rec().set(7, u"").line(), {}, false},
      {"90", Rec().set(7, u"90").line(), {40}, false},
      {"1:2:3", Rec().set(7, u"1:2:3").line(), {40}, false},
      {"123:4", Rec().set(7, u"123:4").line(), {40}, false},
      {"1:", Rec().set(7, u"1:").line(), {40}, false},
      {"1:75", Rec().set(7, u"1:75").line(), {16}, false},
      {"60:00", Rec().set(7, u"60:00").line(), {16}, false},
      {"59:59", Rec().set(7, u"59:59").line(), {}, false},
  });
}

TEST(CheckRecord, CategoryLimits) {
  {
    IntakeState state;
    for (int i = 1; i <= 1001; ++i) {
      state.lineNumber = i;
      const bool rejected = checkRecord(state, Rec().line());
      EXPECT_EQ(rejected, i >= 1000) << i;
    }
    EXPECT_EQ(codesOf(state).size(), 2u);  // lines 1000 and 1001
    EXPECT_EQ(state.errors.begin()->text, u"00001000");
    EXPECT_EQ(state.itemTotal, 1 + 4 + 999);
  }
  {
    // 999 first-level categories at most (the counter starts at 1).
    IntakeState state;
    for (int i = 1; i <= 1000; ++i) {
      const bool rejected = checkRecord(state, Rec().set(0, u"c" + utf8ToUtf16(std::to_string(i))).line());
      EXPECT_EQ(rejected, i == 1000) << i;
    }
    EXPECT_EQ(plainCodes(state), std::vector<int>{46});
  }
  {
    // 998 third-level categories below one second-level category.
    IntakeState state;
    for (int i = 1; i <= 999; ++i) {
      const bool rejected = checkRecord(state, Rec().set(2, u"t" + utf8ToUtf16(std::to_string(i))).line());
      EXPECT_EQ(rejected, i == 999) << i;
    }
    EXPECT_EQ(plainCodes(state), std::vector<int>{46});
  }
}

TEST(CategoryTally, ItemsPerLevelAndMissingCategories) {
  IntakeState state;
  std::int32_t items = 0;
  ASSERT_TRUE(tallyCategories(state, u"a", u"b", u"c", items));
  EXPECT_EQ(items, 5);
  ASSERT_TRUE(tallyCategories(state, u"a", u"b", u"c", items));
  EXPECT_EQ(items, 1);
  ASSERT_TRUE(tallyCategories(state, u"a", u"b", u"d", items));
  EXPECT_EQ(items, 2);
  ASSERT_TRUE(tallyCategories(state, u"a", u"e", u"d", items));
  EXPECT_EQ(items, 4);
  EXPECT_EQ(state.tally.second.at(u"a\tb"), 4);
  EXPECT_EQ(state.categoryCounter, 2);

  IntakeState blank;
  blank.lineNumber = 3;
  ASSERT_FALSE(checkRecord(blank, Rec().set(0, u"").set(1, u" ").set(2, u"\u3000").line()));
  EXPECT_EQ(blank.tally.leaf.count(u"(分類なし)\t(分類なし)\t(分類なし)"), 1u);
}

// Runs checkRecords over a normalised text (mark included).
struct CheckRun {
  FakeMedia media;
  IntakeState state;
  std::uint32_t valid = 0;
  std::u16string out;

  void run(std::u16string_view in, MediaTotals totals = {}) {
    CheckContext context = media.context();
    context.mediaTotals = totals;
    std::istringstream input(bytesOf(in));
    std::ostringstream output;
    valid = checkRecords(state, context, input, output);
    out = wideOf(output.str());
  }
  std::vector<std::u16string> texts() const {
    std::vector<std::u16string> t;
    for (const ErrorEntry& e : state.errors) t.push_back(e.text);
    return t;
  }
};

TEST(CheckRecords, WritesSettingsHeadingAndAcceptedLines) {
  CheckRun r;
  const std::u16string settings = u"\uFEFFd\thow\tx\t学習2\ty\r\n";
  const std::u16string heading = u"h1\th2\r\n";
  const std::u16string good = Rec().line();
  const std::u16string bad = Rec().cases(0).line();
  const std::u16string badMarkup = Rec().set(4, u"<B>q").line();
  r.run(settings + heading + u"\r\n" + good + u"\t\t\r\n" + bad + badMarkup + good);
  EXPECT_EQ(r.valid, 2u);
  EXPECT_EQ(r.out, u"\uFEFFd\thow\tx\t学習２\ty\r\n" + heading + good + good);
  // Lines: 3 blank, 4 good, 5 tabs only, 6 no case, 7 open tag.
  EXPECT_EQ(r.texts(), (std::vector<std::u16string>{u"00000006", u"00000007"}));
  EXPECT_EQ(plainCodes(r.state), (std::vector<int>{11, 23}));
  EXPECT_EQ(r.state.howToUsePresent, 1);
  // The record rejected by its markup was tallied before the markup check.
  EXPECT_EQ(r.state.itemTotal, 1 + 1 + 5 + 1 + 1);
}

TEST(CheckRecords, BlankHeadingIsStillCopied) {
  CheckRun r;
  r.run(u"\uFEFFs\r\n\r\n" + Rec().line());
  EXPECT_EQ(r.out, u"\uFEFFs\r\n\r\n" + Rec().line());
  EXPECT_EQ(r.valid, 1u);
}

TEST(CheckRecords, AcceptedLineLosesUnusableMediaNames) {
  CheckRun r;
  r.media.addPicture("bad.bmp", 0);
  r.run(u"\uFEFFs\r\nh\r\n" + Rec().set(4, u"<P>bad.bmp</P><V>x.wav</V>").line());
  EXPECT_EQ(r.out, u"\uFEFFs\r\nh\r\n" + Rec().set(4, u"<P></P><V></V>").line());
  EXPECT_EQ(codesOf(r.state), (std::vector<std::pair<int, int>>{{22, kPictureEntry}, {7, kLineEntry}}));
}

TEST(CheckRecords, WholeFileFindings) {
  CheckRun r;
  r.run(u"\uFEFFs\r\nh\r\n\r\n\t\r\n", {kMaxPictureBytes + 1, kMaxSoundBytes + 1});
  EXPECT_EQ(r.valid, 0u);
  EXPECT_EQ(r.out, u"\uFEFFs\r\nh\r\n");
  EXPECT_EQ(codesOf(r.state),
            (std::vector<std::pair<int, int>>{{54, kSummaryEntry}, {55, kSummaryEntry}, {52, kSummaryEntry}}));
  EXPECT_EQ(r.texts().back(), u"drill.txt ファイルの記述が正しくありません。");

  CheckRun atLimit;
  atLimit.run(u"\uFEFFs\r\nh\r\n" + Rec().line(), {kMaxPictureBytes, kMaxSoundBytes});
  EXPECT_TRUE(atLimit.state.errors.empty());
}

TEST(CheckRecords, EmptyInputGivesOnlyCode52) {
  CheckRun r;
  r.run(u"");
  EXPECT_EQ(r.out, u"");
  EXPECT_EQ(plainCodes(r.state), std::vector<int>{52});
}

TEST(CheckRecords, ItemLimitEndsTheCheck) {
  // Each record opens a new third-level category (2 items); the second level
  // changes every 900 records (2 items), so record n brings the total to
  // 2 + 2n + 2*ceil(n/900): record 9,988 is the first above 20,000.
  std::u16string text = u"\uFEFFs\r\nh\r\n";
  for (int n = 1; n <= 10000; ++n) {
    text += Rec()
                .set(0, u"A")
                .set(1, u"B" + utf8ToUtf16(std::to_string((n - 1) / 900)))
                .set(2, u"C" + utf8ToUtf16(std::to_string(n)))
                .line();
  }
  text += Rec().cases(0).line();  // never checked
  CheckRun r;
  r.run(text);
  EXPECT_EQ(r.valid, 9987u);
  EXPECT_EQ(codesOf(r.state), (std::vector<std::pair<int, int>>{{48, kSummaryEntry}}));
  EXPECT_EQ(test::linesOf(r.out).size(), 2u + 9987u);
}

TEST(CheckRecords, OversizedLinesEndInFindings) {
  std::u16string tabs = Rec().line();
  tabs.insert(tabs.size() - 2, std::u16string(10000, u'\t') + u"x");
  const std::u16string megabyte = Rec().set(4, std::u16string(1 << 20, u'q')).line();
  std::u16string markup;
  for (int i = 0; i < 500; ++i) markup += u"<B></B>";
  CheckRun r;
  r.run(u"\uFEFF" + std::u16string(1 << 20, u's') + u"\r\nh\r\n" + tabs + megabyte + Rec().set(6, markup).line());
  EXPECT_EQ(r.valid, 1u);
  // Line 1: settings field too long; 3: beyond index 17; 4: field too long;
  // 5: an empty style tag.
  EXPECT_EQ(r.texts(), (std::vector<std::u16string>{u"00000001", u"00000003", u"00000004", u"00000005"}));
  EXPECT_EQ(plainCodes(r.state), (std::vector<int>{43, 12, 43, 37}));
}

// A source of nothing but faulty lines must not fill memory with findings:
// the check stops at the line after the 100,000th, saying so.
TEST(CheckRecords, TooManyFindingsEndTheCheckAtTheNextLine) {
  std::u16string source = u"\uFEFFs\r\nh\r\n";
  for (std::size_t i = 0; i < kMaxFindings + 5; ++i) source += u"x\r\n";
  CheckRun r;
  r.run(source);
  ASSERT_EQ(r.state.errors.size(), kMaxFindings + 2);
  // Lines 3 .. 100002 have one finding each; line 100003 ends the check.
  EXPECT_EQ(r.state.errors.count(makeErrorEntry(errc::kTooFewTabs, std::nullopt, kLineEntry, 100002)), 1u);
  EXPECT_EQ(r.state.errors.count(makeErrorEntry(errc::kTooManyFindings, std::nullopt, kLineEntry, 100003)), 1u);
  EXPECT_EQ(r.state.errors.count(makeErrorEntry(errc::kTooFewTabs, std::nullopt, kLineEntry, 100003)), 0u);
  EXPECT_EQ(errorMessage(errc::kTooManyFindings), u"指摘が多すぎるため、この行から後は確認していません。");
  EXPECT_EQ(r.valid, 0u);
}

TEST(CheckSettingsLine, HowToUseMenuLocationAndCover) {
  struct Case {
    const char* what;
    std::u16string line;
    std::u16string written;
    std::vector<int> codes;
    std::uint8_t howToUse;
  } cases[] = {
      {"plain", u"\uFEFFa\thow\tb\t英語1\tc\r\n", u"\uFEFFa\thow\tb\t英語１\tc\r\n", {}, 1},
      {"how-to-use with <V>", u"\uFEFFa\tx<V>s.mp3</V>\tb\r\n", u"\uFEFFa\t\tb\r\n", {35}, 0},
      {"how-to-use with bad markup", u"\uFEFFa\t<B>x\tb\r\n", u"\uFEFFa\t\tb\r\n", {23}, 0},
      {"ツール", u"\uFEFF\t\t\tツール\r\n", u"\uFEFF\t\t\tミニ道具箱\r\n", {}, 0},
      {"ユーザー", u"\uFEFF\t\t\tユーザー\r\n", u"\uFEFF\t\t\tユーザー辞書\r\n", {}, 0},
      {"学習２ stays", u"\uFEFF\t\t\t学習２\r\n", u"\uFEFF\t\t\t学習２\r\n", {}, 0},
      {"unknown of 16 units", u"\uFEFF\t\t\t" + std::u16string(16, u'm') + u"\r\n",
       u"\uFEFF\t\t\t" + std::u16string(16, u'm') + u"\r\n", {}, 0},
      {"unknown of 17 units", u"\uFEFF\th\t\t" + std::u16string(17, u'm') + u"\r\n", u"\uFEFF\th\t\t\r\n", {1}, 1},
      {"menu location with <B>", u"\uFEFF\t\t\t<B>x\r\n", u"\uFEFF\t\t\t<B>x\r\n", {35}, 0},
      {"long field drops 1 and 3", u"\uFEFF\th\t" + std::u16string(4001, u'x') + u"\t英語2\r\n",
       u"\uFEFF\t\t" + std::u16string(4001, u'x') + u"\t\r\n", {43}, 0},
      {"fields after 5 are not written", u"\uFEFFa\t\t\t\t\tc.bmp\tg\th\r\n", u"\uFEFFa\t\t\t\t\tc.bmp\r\n", {32}, 0},
      {"no line end", u"\uFEFFa", u"\uFEFFa\r\n", {}, 0},
  };
  for (const Case& c : cases) {
    FakeMedia media;
    CheckContext context = media.context();
    IntakeState state;
    state.lineNumber = 1;
    std::ostringstream out;
    checkSettingsLine(state, context, c.line, out);
    EXPECT_EQ(wideOf(out.str()), c.written) << c.what;
    EXPECT_EQ(plainCodes(state), c.codes) << c.what;
    EXPECT_EQ(state.howToUsePresent, c.howToUse) << c.what;
    EXPECT_EQ(state.itemTotal, 1 + c.howToUse) << c.what;
    EXPECT_EQ(state.categoryCounter, 1 + c.howToUse) << c.what;
    EXPECT_FALSE(state.lineRejected) << c.what;
  }
}

TEST(CheckSettingsLine, HowToUseLimitsFirstLevelCategoriesTo998) {
  std::u16string text = u"\uFEFFa\thow to use\r\nh\r\n";
  for (int i = 1; i <= 999; ++i) text += Rec().set(0, u"c" + utf8ToUtf16(std::to_string(i))).line();
  CheckRun r;
  r.run(text);
  EXPECT_EQ(r.valid, 998u);
  EXPECT_EQ(plainCodes(r.state), std::vector<int>{46});
}

TEST(MenuLocation, Normalisation) {
  struct Case {
    std::u16string in;
    std::optional<std::u16string> out;
  } cases[] = {
      {u"", u""},
      {u"英語1", u"英語１"},
      {u"英語3", u"英語３"},
      {u"学習2", u"学習２"},
      {u"英語１", u"英語１"},
      {u"国語", u"国語"},
      {u"ユーザー", u"ユーザー辞書"},
      {u"ツール", u"ミニ道具箱"},
      {u"ユーザー辞書", u"ユーザー辞書"},
      {u"英語4", u"英語4"},
      {std::u16string(16, u'x'), std::u16string(16, u'x')},
      {std::u16string(17, u'x'), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(normaliseMenuLocation(c.in), c.out) << utf16ToUtf8(c.in);
}

}  // namespace
}  // namespace dm
