#include "textio/hex.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(Hex, DigitValues) {
  struct Case {
    char32_t c;
    int value;
  };
  for (Case c : {Case{U'0', 0}, {U'9', 9}, {U'a', 10}, {U'f', 15}, {U'A', 10}, {U'F', 15}, {U'g', -1},
                 {U'G', -1}, {U'/', -1}, {U':', -1}, {U'@', -1}, {U'`', -1}, {U'\uFF10', -1}})
    EXPECT_EQ(hexDigitValue(c.c), c.value) << static_cast<std::uint32_t>(c.c);
}

TEST(Hex, ReadsExactlyTheDigitsAskedFor) {
  std::uint32_t v = 7;
  EXPECT_TRUE(readHexDigits(std::string_view("00fFx"), 4, v));
  EXPECT_EQ(v, 0xFFu);
  EXPECT_TRUE(readHexDigits(std::u16string_view(u"1A2"), 3, v));
  EXPECT_EQ(v, 0x1A2u);
  v = 7;
  EXPECT_FALSE(readHexDigits(std::string_view("12"), 3, v)) << "too short";
  EXPECT_FALSE(readHexDigits(std::string_view("1x3"), 3, v)) << "not a digit";
  EXPECT_EQ(v, 7u) << "a failed read leaves the value alone";
}

TEST(Hex, WritesZeroPaddedInEitherCase) {
  struct Case {
    std::uint64_t value;
    int width;
    HexCase letters;
    const char* text;
  };
  const Case cases[] = {
      {0, 0, HexCase::kLower, "0"},
      {0, 4, HexCase::kLower, "0000"},
      {0xabc, 2, HexCase::kLower, "abc"},  // never cut
      {0xabc, 6, HexCase::kUpper, "000ABC"},
      {0xFFFFFFFFFFFFFFFFull, 0, HexCase::kUpper, "FFFFFFFFFFFFFFFF"},
      {0x12, 8, HexCase::kLower, "00000012"},
  };
  for (const Case& c : cases) EXPECT_EQ(hexText(c.value, c.width, c.letters), c.text);
  std::string out = "x";
  appendHex(out, 0xBEEF, 5, HexCase::kUpper);
  EXPECT_EQ(out, "x0BEEF");
}

}  // namespace
}  // namespace dm
