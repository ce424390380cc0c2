#include "readback/entry_decoder.h"

#include <gtest/gtest.h>

namespace dm::readback {
namespace {

TEST(ReadableText, DeviceCodesAreShownByName) {
  struct Case {
    std::u16string text;
    std::string shown;
  } cases[] = {
      {u"a\uE002b\uE003", "a«B»b«/B»"},
      {u"\uE000i\uE001\uE01Au\uE01B", "«I»i«/I»«U»u«/U»"},
      {u"\uE05E0015\uE05F", "[picture 0015]"},
      {u"\uE05E020003\uE05F", "[picture 020003]"},
      {u"\uE06200000003\uE0FE\uF9DD\uE0FF\uE063", "[sound 00000003]"},
      {u"\uE054\uE0FE\uF821\uE0FF dog\uE055" u"2", "«→(1) dog»2"},
      {u"\uE0FE\uF820\uE0FF", "(10)"},
      {u"\uE066red\uE067", "«colour red«/colour»"},
      {u"\uE05Eunclosed", "\xEE\x81\x9Eunclosed"},
  };
  for (const auto& c : cases) EXPECT_EQ(readableText(c.text), c.shown);
}

TEST(DecodeBody, MalformedImagesEndWithAnErrorNotACrash) {
  std::string dic(88, '\0');
  dic[0] = 88;
  dic[4] = 4;
  dic += "\xEE\xEE\xEE\xEE";  // a tag code that never ends
  const std::string tooSmall(10, '\0');
  EXPECT_FALSE(decodeBody(dic, tooSmall, std::string(16, '\0')).error.empty());
  EXPECT_FALSE(decodeBody(tooSmall, tooSmall, tooSmall).error.empty());
  std::string wordlib(66, '\0');
  wordlib[8] = 1;  // one library whose tables point nowhere
  for (int t = 0; t < 4; ++t) {
    wordlib[16 * t] = static_cast<char>(200);
    wordlib[16 * t + 8] = 1;
    wordlib[16 * t + 10] = 1;
    wordlib[16 * t + 11] = 6;
  }
  EXPECT_FALSE(decodeBody(dic, wordlib, std::string(16, '\0')).error.empty());
}

TEST(CategoryPath, ClimbsThroughTheCategoriesThatSpanAnItem) {
  DecodedMenu menu;
  // root; A (children 2..3); B (child 4); question 0 under A; question 1 under A; question 2 under B
  menu.items = {{1, 1, 2, 1, u""},   {2, 3, 2, 3, u"A"},  {2, 3, 1, 5, u"B"},
                {3, 0, 0, 0x7fffffff, u"q0"}, {3, 0, 1, 0x7fffffff, u"q1"}, {3, 0, 2, 0x7fffffff, u"q2"}};
  EXPECT_EQ(categoryPath(menu, 1), std::vector<std::u16string>{u"A"});
  EXPECT_EQ(categoryPath(menu, 2), std::vector<std::u16string>{u"B"});
  EXPECT_TRUE(categoryPath(menu, 9).empty());
}

TEST(DecodeMenu, MalformedMenuImagesEndWithAnError) {
  for (std::size_t n : {0u, 15u, 16u, 100u}) EXPECT_FALSE(decodeMenu(std::string(n, '\0')).error.empty()) << n;
}

}  // namespace
}  // namespace dm::readback
