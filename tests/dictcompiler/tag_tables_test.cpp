#include "dictcompiler/tag_tables.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(TagTablesTest, MenuTablesHaveThreeToFiveLevels) {
  EXPECT_TRUE(menuTagTable(2).empty());
  EXPECT_TRUE(menuTagTable(6).empty());
  for (int levels = 3; levels <= 5; ++levels) {
    const auto table = menuTagTable(levels);
    ASSERT_EQ(table.size(), static_cast<std::size_t>(levels));
    EXPECT_STREQ(table.back().name, ("LV0" + std::to_string(levels)).c_str());
    EXPECT_STREQ(table.back().library, "m1");
  }
}

TEST(TagTablesTest, SplitSuffixIsCutAtItsFirstOccurrence) {
  EXPECT_EQ(baseTagName("DF_a_s00"), "DF_a");
  EXPECT_EQ(baseTagName("DF_a_s0_s00"), "DF_a");
  EXPECT_EQ(baseTagName("DF_a"), "DF_a");
  const TagDef* row = findTagDef(entryTagTable(), baseTagName("JUMP_s00"));
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->attr, 0x00002001u);
  // The legend entry's tag is not in the built-in entry table.
  const char* legendTag = "SPEC";
  EXPECT_EQ(findTagDef(entryTagTable(), legendTag), nullptr);
}

}  // namespace
}  // namespace dm
