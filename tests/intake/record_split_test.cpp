#include "intake/record_split.h"

#include <gtest/gtest.h>

#include <string>

#include "textio/wide_line.h"

namespace dm {
namespace {

// A record of `n` non-empty fields f0, f1, ... ended by CR LF.
std::u16string fieldsLine(int n) {
  std::u16string line;
  for (int i = 0; i < n; ++i) {
    if (i) line += u'\t';
    line += u"f" + utf8ToUtf16(std::to_string(i));
  }
  return line + u"\r\n";
}

TEST(SplitRecord, CountsCapsAndCuts) {
  const std::u16string head = u"c1\tc2\tc3\t1\tq\t1\tcomment\t1:00";
  struct Case {
    const char* what;
    std::u16string line;
    int count;
    int lastNonEmpty;
    int blankCaseCut;
  } cases[] = {
      {"three fields", u"a\tb\tc\r\n", 2, 2, 0},
      {"no case (8 fields)", head + u"\r\n", 7, 7, 0},
      {"two cases", head + u"\tx\ty\r\n", 9, 9, 0},
      {"blank case 3 cuts before it", head + u"\ta\tb\t \td\te\r\n", 9, 12, 1},
      {"case of only <N> and blanks is blank", head + u"\ta\t<N>\u3000<N>\tc\r\n", 8, 10, 1},
      {"blank case 1 leaves no case", head + u"\t\tb\r\n", 7, 9, 1},
      {"25 fields keep indexes 0 to 17", fieldsLine(25), 17, 24, 0},
      {"trailing empty fields go", u"a\tb\t\t\r\n", 1, 1, 0},
      {"empty line", u"\r\n", 0, 0, 0},
      {"no line end", u"a\tb", 1, 1, 0},
      {"trailing blank cases cut", head + u"\ta\t \r\n", 8, 9, 1},
  };
  for (const Case& c : cases) {
    SplitRecord r;
    EXPECT_EQ(splitRecord(c.line, r), c.count) << c.what;
    EXPECT_EQ(r.count, c.count) << c.what;
    EXPECT_EQ(r.lastNonEmpty, c.lastNonEmpty) << c.what;
    EXPECT_EQ(r.blankCaseCut, c.blankCaseCut) << c.what;
  }
}

TEST(SplitRecord, FieldsAreViewsAndEmptyFieldsAreAbsent) {
  std::u16string line = u"a\t\tc\u3000\t<N>\r\n";
  SplitRecord r;
  ASSERT_EQ(splitRecord(line, r), 3);
  EXPECT_EQ(r.field(0), u"a");
  EXPECT_FALSE(r.present(1));
  EXPECT_EQ(r.field(1), u"");
  EXPECT_EQ(r.field(2), u"c\u3000");
  EXPECT_EQ(r.field(3), u"<N>");  // CR LF is not part of the last field
  EXPECT_FALSE(r.present(4));
  EXPECT_FALSE(r.present(-1));
  EXPECT_FALSE(r.present(kFieldSlots));
}

TEST(SplitRecord, LineEndsAtCrLfOrZeroOnly) {
  SplitRecord r;
  std::u16string loneCr = u"a\rb\tc\r\n";
  splitRecord(loneCr, r);
  EXPECT_EQ(r.field(0), u"a\rb");
  EXPECT_EQ(r.field(1), u"c");

  std::u16string zero(u"a\tb\0c\td", 7);
  EXPECT_EQ(splitRecord(zero, r), 1);
  EXPECT_EQ(r.field(1), u"b");

  std::u16string afterCrLf = u"a\r\nb\tc";
  EXPECT_EQ(splitRecord(afterCrLf, r), 0);
}

// The splitter looks for TAB, CR and zero many units at a time: fields
// whose ends fall anywhere in and across such runs come out whole.
TEST(SplitRecord, LongFieldsAreCutAtEveryTab) {
  for (std::size_t length : {1, 30, 31, 32, 33, 63, 64, 65, 100}) {
    const std::u16string a(length, u'\u3042');
    const std::u16string b(length + 1, u'x');
    std::u16string line = a + u"\t" + b + u"\t\t" + a + u"\r\n" + b + u"\t" + b;
    SplitRecord r;
    EXPECT_EQ(splitRecord(line, r), 3) << length;
    EXPECT_EQ(r.field(0), a) << length;
    EXPECT_EQ(r.field(1), b) << length;
    EXPECT_FALSE(r.present(2)) << length;
    EXPECT_EQ(r.field(3), a) << length;  // ends at the CR LF
    EXPECT_FALSE(r.present(4)) << length;
  }
}

TEST(SplitRecord, FieldsBeyondTheSlotsMoveOnlyLastNonEmpty) {
  std::u16string line(300, u'\t');
  line = u"a" + line + u"z\r\n";
  SplitRecord r;
  EXPECT_EQ(splitRecord(line, r), 0);
  EXPECT_EQ(r.lastNonEmpty, 300);
  EXPECT_EQ(r.count, 0);

  std::u16string many;
  for (int i = 0; i < 10000; ++i) many += u"x\t";
  EXPECT_EQ(splitRecord(many, r), kLastUsableField);
  EXPECT_EQ(r.lastNonEmpty, 9999);
}

TEST(IsBlank, OnlyBlanksAndLineMarks) {
  struct Case {
    std::u16string text;
    bool blank;
  } cases[] = {
      {u"", true},          {u" ", true},       {u"\u3000", true},    {u"<N>", true},
      {u" <N>\u3000<N>", true}, {u"<N", false}, {u"<n>", false},      {u"\t", false},
      {u"a", false},        {u"<N>a", false},   {u"<P>", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isBlank(c.text), c.blank) << utf16ToUtf8(c.text);
}

}  // namespace
}  // namespace dm
