#include "images/tagrule_image.h"

#include <gtest/gtest.h>

#include <sstream>

#include "images/compiler_fixture.h"
#include "images/random_input.h"
#include "platform/failure.h"
#include "support/recording_sink.h"
#include "textio/byte_order.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(TagRuleImage, CountsDefinesAfterTheFirstFourLines) {
  std::istringstream header(test::kDrillTagH);
  EXPECT_EQ(countTagDefines(header), 2u);
  std::istringstream two(
      "#ifndef _X_TAG_H_\n#define _X_TAG_H_\n\n//dictionary a tag nib  \n#define A_TAG_X  0\n\n"
      "//dictionary b tag nib  \n:note\n#define B_TAG_Y  0\n#endif\n#define AFTER 1\n");
  EXPECT_EQ(countTagDefines(two), 2u);
  std::istringstream shortFile("#ifndef\n");
  EXPECT_EQ(countTagDefines(shortFile), 0u);
}

TEST(TagRuleImage, RuleLineBecomesEightBytes) {
  EXPECT_EQ(tagRuleBytes("0101\t00080001\t02\t04\t//START_BLOCK_Word"),
            std::string("\x01\x01\x00\x08\x00\x01\x02\x04", 8));
  // Short lines are completed with zeros, extra digits dropped.
  EXPECT_EQ(tagRuleBytes("12"), std::string("\x12\0\0\0\0\0\0\0", 8));
  EXPECT_EQ(tagRuleBytes("0123456789abcdef01"), std::string("\x01\x23\x45\x67\x89\xab\xcd\xef", 8));
}

TEST(TagRuleImage, DrillImageWithRules) {
  TempDir dir;
  test::writeDrillBody(dir.path());
  test::RecordingSink sink;
  ASSERT_NO_THROW(BuildTagRuleImage(dir.path(), "Drill_tag.h", true, sink));
  EXPECT_TRUE(sink.lines.empty());
  std::string want;
  appendLE16(want, 2);
  appendZeros(want, 14);
  for (std::uint32_t v : {0xFFFFu, 1u, 0xFFFFu, 1u}) appendLE16(want, v);
  want += std::string("\x01\x01\x00\x00\x00\x00\x00\x00", 8);
  want += std::string("\x00\x00\x00\x08\x00\x01\x02\x04", 8);
  EXPECT_EQ(readFile(dir / "TagRule.bin"), want);
}

TEST(TagRuleImage, MissingLibraryNumbersAndRuleCountMismatch) {
  TempDir dir;
  writeFile(dir / "Drill_tag.h", test::kDrillTagH);
  writeFile(dir / "dict.h", "ROMTYPE BYTE DRILLWdBaseNo[] =\n{\n  -1,\t//A\n};\n");
  writeFile(dir / "tag_rule.lst", "//head\n0101\t00000000\t00\t00\t//A\n");
  test::RecordingSink sink;
  ASSERT_NO_THROW(BuildTagRuleImage(dir.path(), "Drill_tag.h", true, sink));
  EXPECT_EQ(sink.lines, std::vector<std::string>{"Tag Num is Error!"});
  std::string image = readFile(dir / "TagRule.bin");
  ASSERT_EQ(image.size(), 16u + 8 + 8);
  EXPECT_EQ(loadLE16(image, 18), 0xFFFFu);  // -1
  EXPECT_EQ(loadLE16(image, 22), 0xFFFFu);  // no line for the second tag
}

TEST(TagRuleImage, MenuImageHasNoRulesAndMissingListFailsDrillImage) {
  TempDir dir;
  test::writeMenuCompile(dir.path());
  ASSERT_NO_THROW(BuildTagRuleImage(dir.path(), "menu_tag.h", false, quietSink()));
  std::string want;
  appendLE16(want, 1);
  appendZeros(want, 14);
  appendLE16(want, 0xFFFF);
  appendLE16(want, 1);
  EXPECT_EQ(readFile(dir / "TagRule.bin"), want);

  TempDir drill;
  writeFile(drill / "Drill_tag.h", test::kDrillTagH);
  EXPECT_THROW(BuildTagRuleImage(drill.path(), "Drill_tag.h", true, quietSink()), PassFailure);
  EXPECT_FALSE(fs::exists(drill / "TagRule.bin"));
}

TEST(TagRuleImage, RandomInputNeverFaults) {
  for (const std::string& text : test::randomInputs(300, 400, 13)) {
    std::istringstream header(text), rules(text);
    const std::uint32_t tags = countTagDefines(header);
    std::uint32_t lines = 0;
    std::string image = tagRuleImageBytes(tags, {1, -1}, &rules, &lines);
    EXPECT_EQ(image.size(), 16 + 4 * tags + 8 * lines);
  }
}

}  // namespace
}  // namespace dm
