#include "textio/unit_search.h"

#include <gtest/gtest.h>

#include <string>

namespace dm {
namespace {

constexpr std::size_t npos = std::u16string_view::npos;

TEST(UnitSearch, FindUnitAgreesWithFind) {
  struct Case {
    const char* what;
    std::u16string text;
    char16_t unit;
    std::size_t from;
  };
  const Case cases[] = {
      {"empty text", u"", u'<', 0},
      {"first unit", u"<B>", u'<', 0},
      {"last unit", u"ab<", u'<', 0},
      {"from past the hit", u"<a<", u'<', 1},
      {"from at the end", u"ab", u'<', 2},
      {"from beyond the end", u"ab", u'<', 9},
      {"not there", u"abc", u'<', 0},
      // U+4E3C has the low byte of '<', U+3C00 its high byte next to a zero.
      {"low byte of another unit", u"\u4E3C\u4E3C<", u'<', 0},
      {"low byte only, never the unit", u"\u4E3Ca\u4E3C", u'<', 0},
      {"high byte of one unit and low byte of the next", u"\u3C00\u0000<", u'<', 0},
      {"a unit with a high byte", u"ab\uE000", u'\uE000', 0},
      {"a zero unit", std::u16string(u"ab\0c", 4), u'\0', 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(findUnit(c.text, c.unit, c.from), std::u16string_view(c.text).find(c.unit, c.from)) << c.what;
  }
  EXPECT_EQ(findUnit(u"\u4E3C\u3C00", u'<'), npos);
}

TEST(UnitSearch, FindUnitOverLongTextsFindsEveryPosition) {
  for (std::size_t at : {0, 1, 31, 32, 33, 63, 64, 999}) {
    std::u16string text(1000, u'\u4E3C');
    text[at] = u'<';
    EXPECT_EQ(findUnit(text, u'<'), at) << at;
    EXPECT_EQ(findUnit(text, u'<', at + 1), npos) << at;
  }
}

// The source of the dictionary loader is cut into lines at its LF units.
TEST(UnitSearch, FindUnitTakesOnlyAWholeUnitAsALineFeed) {
  struct Case {
    std::u16string text;
    std::size_t from;
    std::size_t expected;
  };
  const std::size_t none = std::u16string_view::npos;
  const Case cases[] = {
      {u"", 0, none},
      {u"\n", 0, 0},
      {u"ab\ncd\n", 0, 2},
      {u"ab\ncd\n", 3, 5},
      {u"ab\ncd", 3, none},
      {u"ab\n", 9, none},
      // 0A as the high byte (U+0A00) and as the low byte of U+300A: no line
      // feeds.
      {u"\x0A00\x300A\x0A0A", 0, none},
      {u"\x0A00\x300A\n", 0, 2},
      {u"\x0A00\x300A\n", 1, 2},
  };
  for (const Case& c : cases) EXPECT_EQ(findUnit(c.text, u'\n', c.from), c.expected) << c.text.size() << " " << c.from;
}

TEST(UnitSearch, FindUnitAtMostFindsTheFirstControlUnit) {
  struct Case {
    const char* what;
    std::u16string text;
    std::size_t from;
    std::size_t expected;
  };
  const Case cases[] = {
      {"empty text", u"", 0, npos},
      {"none", u"abc\u3042", 0, npos},
      {"a TAB", u"ab\tc", 0, 2},
      {"the limit itself", u"ab\rc", 0, 2},
      {"a zero unit", std::u16string(u"ab\0c", 4), 0, 2},
      {"one above the limit", u"ab\u000E", 0, npos},
      {"from past a hit", u"\ta\nb", 1, 2},
      {"from at the end", u"ab\t", 3, npos},
      {"from beyond the end", u"ab", 7, npos},
  };
  for (const Case& c : cases) EXPECT_EQ(findUnitAtMost(c.text, u'\r', c.from), c.expected) << c.what;
  // In a block of 32 and in the rest after the blocks, from any start.
  for (std::size_t length : {31, 32, 33, 64, 70}) {
    for (std::size_t at = 0; at < length; ++at) {
      std::u16string text(length, u'x');
      text[at] = u'\n';
      EXPECT_EQ(findUnitAtMost(text, u'\r'), at) << length << " " << at;
      EXPECT_EQ(findUnitAtMost(text, u'\r', at), at) << length << " " << at;
      EXPECT_EQ(findUnitAtMost(text, u'\r', at + 1), npos) << length << " " << at;
    }
  }
}

TEST(UnitSearch, HoldsUnitInSeesTheBoundsAndEveryPosition) {
  EXPECT_FALSE(holdsUnitIn(u"", u'\uE000', u'\uE01F'));
  EXPECT_TRUE(holdsUnitIn(u"\uE000", u'\uE000', u'\uE01F'));
  EXPECT_TRUE(holdsUnitIn(u"\uE01F", u'\uE000', u'\uE01F'));
  EXPECT_FALSE(holdsUnitIn(std::u16string{char16_t{0xDFFF}, u'\uE020'}, u'\uE000', u'\uE01F'));
  EXPECT_TRUE(holdsUnitIn(u"b", u'a', u'c'));
  EXPECT_FALSE(holdsUnitIn(u"`d", u'a', u'c'));
  // Both in the blocks of 32 and in the rest after them.
  for (std::size_t length : {1, 31, 32, 33, 64, 100}) {
    for (std::size_t at = 0; at < length; ++at) {
      std::u16string text(length, u'x');
      EXPECT_FALSE(holdsUnitIn(text, u'\uE000', u'\uE01F')) << length;
      text[at] = u'\uE012';
      EXPECT_TRUE(holdsUnitIn(text, u'\uE000', u'\uE01F')) << length << " " << at;
    }
  }
}

}  // namespace
}  // namespace dm
