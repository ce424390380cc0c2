#include "conversion/block_text.h"

#include <gtest/gtest.h>

#include "conversion/notation.h"

namespace dm::blocktext {
namespace {

using test::show;

TEST(BlockText, JumpAddressRoundTrip) {
  EXPECT_EQ(formatJumpAddress({0, 0}), u"000000000000");
  EXPECT_EQ(formatJumpAddress({0x1f, 0x12}), u"0000001f0012");
  JumpAddress a;
  ASSERT_TRUE(parseJumpAddress(u"0000abcd00ff", a));
  EXPECT_EQ(a.entry, 0xabcdu);
  EXPECT_EQ(a.line, 0xffu);
  for (const char16_t* bad : {u"", u"0000abcd00f", u"0000abcd00fff", u"0000abcd00fg"}) {
    EXPECT_FALSE(parseJumpAddress(bad, a));
  }
}

TEST(BlockText, LineParts) {
  struct Case {
    std::u16string_view line, tag, value;
    bool empty;
  };
  const Case cases[] = {
      {u"DF_q\tabc\r\n", u"DF_q", u"abc", false}, {u"DF_l\t\r\n", u"DF_l", u"", false},
      {u"\r\n", u"", u"", true},                  {u"", u"", u"", true},
      {u"A\tb\tc\r\n", u"A", u"b\tc", false},     {u"NOTAB\r\n", u"NOTAB", u"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tagOf(c.line), c.tag) << show(c.line);
    EXPECT_EQ(valueOf(c.line), c.value) << show(c.line);
    EXPECT_EQ(isEmptyLine(c.line), c.empty) << show(c.line);
  }
  EXPECT_TRUE(hasTag(u"JUMP\tx", u"JUMP"));
  EXPECT_FALSE(hasTag(u"JUMP_c0\tx", u"JUMP"));
  EXPECT_FALSE(hasTag(u"JUMP", u"JUMP"));
}

TEST(BlockText, LabelsAndCodes) {
  EXPECT_EQ(show(choiceLabel(1)), "[F:f821]");
  EXPECT_EQ(show(choiceLabel(9)), "[F:f829]");
  EXPECT_EQ(show(choiceLabel(10)), "[F:f820]");
  EXPECT_EQ(show(soundCode(u"0000000a")), "[V]0000000a[F:f9dd][/V]");
  EXPECT_EQ(hexText(0), u"0");
  EXPECT_EQ(hexText(0x14, 4), u"0014");
  EXPECT_EQ(hexText(0x12345, 4), u"12345");
}

}  // namespace
}  // namespace dm::blocktext
