#include "dictcompiler/substring_counter.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>

namespace dm {
namespace {

TEST(SubstringCounterTest, CountsEqualSubstringsAtDifferentPositions) {
  const std::u16string text = u"abcabcab";
  SubstringCounter c(text);
  c.reset(3);
  const std::uint32_t abc = c.add(0);
  const std::uint32_t bca = c.add(1);
  EXPECT_NE(abc, bca);
  EXPECT_EQ(c.add(3), abc);
  EXPECT_EQ(c.count(abc), 2u);
  EXPECT_EQ(c.count(bca), 1u);
  EXPECT_EQ(c.find(3), abc);
  EXPECT_EQ(c.find(2), SubstringCounter::kNone);  // cab never added
  EXPECT_EQ(c.size(), 2u);
  c.reset(2);
  EXPECT_EQ(c.size(), 0u);
  EXPECT_EQ(c.find(0), SubstringCounter::kNone);
  const std::uint32_t ab = c.add(6);
  EXPECT_EQ(c.add(0), ab);
  EXPECT_EQ(c.count(ab), 2u);
}

TEST(SubstringCounterTest, KeepsManyDistinctSubstringsApart) {
  std::u16string text;
  for (char16_t i = 0; i < 50000; ++i) {
    text.push_back(static_cast<char16_t>(0x4E00 + i % 3000));
    text.push_back(static_cast<char16_t>(0x3041 + i / 3000));
  }
  SubstringCounter c(text);
  c.reset(2);
  for (std::uint32_t i = 0; i + 2 <= 2 * 50000; i += 2) c.add(i);
  EXPECT_EQ(c.size(), 50000u);
  for (std::uint32_t i = 0; i + 2 <= 2 * 50000; i += 2) ASSERT_EQ(c.count(c.find(i)), 1u);
}

// Every length from 1 to 7, on a text of characters that differ in single
// high or low bits: the same counts as a map of the substrings.
TEST(SubstringCounterTest, CountsAsAMapOfTheSubstringsForEveryLength) {
  const std::u16string alphabet{u'\0', u'\x01', u'\x8000', u'\xFFFF', u'a', u'\x0100'};
  std::mt19937 rng(7);
  std::u16string text;
  for (int i = 0; i < 3000; ++i) text.push_back(alphabet[rng() % alphabet.size()]);
  SubstringCounter c(text);
  for (std::uint32_t length = 1; length <= 7; ++length) {
    c.reset(length);
    std::map<std::u16string, std::uint32_t> want;
    for (std::uint32_t p = 0; p + length <= text.size(); ++p) {
      c.add(p);
      ++want[text.substr(p, length)];
    }
    ASSERT_EQ(c.size(), want.size()) << length;
    for (std::uint32_t p = 0; p + length <= text.size(); ++p)
      ASSERT_EQ(c.count(c.find(p)), want[text.substr(p, length)]) << length << " at " << p;
  }
}

}  // namespace
}  // namespace dm
