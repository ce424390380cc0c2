#include "textio/tokenizer.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

std::vector<std::u16string> tokens(std::u16string_view text, std::u16string_view delimiters) {
  FieldCursor cursor(text);
  std::vector<std::u16string> out;
  while (auto f = cursor.nextField(delimiters)) out.emplace_back(*f);
  return out;
}

TEST(NextField, AdjacentDelimitersYieldEmptyTokens) {
  struct Case {
    std::u16string text;
    std::vector<std::u16string> expected;
  } cases[] = {
      {u"a\t\tb", {u"a", u"", u"b"}},
      {u"\ta", {u"", u"a"}},
      {u"a\t", {u"a"}},  // the cursor then stands on the end
      {u"", {}},
      {u"a,b\tc", {u"a", u"b", u"c"}},
  };
  for (const auto& c : cases) EXPECT_EQ(tokens(c.text, u"\t,"), c.expected);
}

TEST(NextField, CursorsAreIndependentAndRestartable) {
  FieldCursor a(u"1\t2"), b(u"x\ty");
  EXPECT_EQ(*a.nextField(u"\t"), u"1");
  EXPECT_EQ(*b.nextField(u"\t"), u"x");
  EXPECT_EQ(a.rest(), u"2");
  a.reset(u"z");
  EXPECT_EQ(*a.nextField(u"\t"), u"z");
  EXPECT_FALSE(a.nextField(u"\t"));
}

TEST(PathPieces, LastOfDotEntryAndWiden) {
  EXPECT_EQ(lastOf(u"a/b/c.txt", u'/'), 3u);
  EXPECT_EQ(lastOf(u"abc", u'.'), std::u16string_view::npos);
  EXPECT_TRUE(isDotEntry("."));
  EXPECT_TRUE(isDotEntry(".."));
  EXPECT_FALSE(isDotEntry("...") || isDotEntry(".a"));
  EXPECT_EQ(widen("Ab/"), u"Ab/");
  EXPECT_EQ(widen("\x80"), std::u16string(1, char16_t(0xFF80)));  // sign-extended
}

TEST(ParseHexPrefix, ReadsTheLeadingDigitsOnly) {
  std::uint32_t n = 0;
  EXPECT_TRUE(parseHexPrefix(u"00aFrest", 4, n));
  EXPECT_EQ(n, 0xAFu);
  EXPECT_TRUE(parseHexPrefix(u"ffffffff", 8, n));
  EXPECT_EQ(n, 0xFFFFFFFFu);
  EXPECT_FALSE(parseHexPrefix(u"12g4", 4, n));
  EXPECT_FALSE(parseHexPrefix(u"123", 4, n));
}

}  // namespace
}  // namespace dm
