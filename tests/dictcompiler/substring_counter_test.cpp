#include "dictcompiler/substring_counter.h"

#include <gtest/gtest.h>

#include <string>

namespace dm {
namespace {

TEST(SubstringCounterTest, CountsEqualSubstringsAtDifferentPositions) {
  const std::u16string text = u"abcabcab";
  SubstringCounter c(text);
  c.reset(3);
  EXPECT_EQ(c.add(0), 1u);  // abc
  EXPECT_EQ(c.add(1), 1u);  // bca
  EXPECT_EQ(c.add(3), 2u);  // abc
  EXPECT_EQ(c.find(3), 2u);
  EXPECT_EQ(c.find(2), 0u);  // cab never added
  EXPECT_EQ(c.size(), 2u);
  c.reset(2);
  EXPECT_EQ(c.size(), 0u);
  EXPECT_EQ(c.find(0), 0u);
  EXPECT_EQ(c.add(6), 1u);  // ab
  EXPECT_EQ(c.add(0), 2u);
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
  for (std::uint32_t i = 0; i + 2 <= 2 * 50000; i += 2) ASSERT_EQ(c.find(i), 1u);
}

}  // namespace
}  // namespace dm
