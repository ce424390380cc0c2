#include "images/menu_image.h"

#include <gtest/gtest.h>

#include "images/compiler_fixture.h"
#include "support/recording_sink.h"
#include "textio/byte_order.h"
#include "work/build_options.h"
#include "work/work_files.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(MenuImage, ParamBlockOfADrillBuild) {
  MenuLineCounts counts;
  counts.items = 0x01020304;
  counts.wdIdx = 5;
  counts.wordType = 6;
  counts.wdSpell = 7;
  counts.classify = 8;
  counts.menuSpeed = 9;
  std::string b = menuParamBlock(MenuImageParams::from(MenuParams{}), 20, counts);
  ASSERT_EQ(b.size(), kMenuParamBlockBytes);
  EXPECT_EQ(b.substr(0, 6), std::string("\x06\x14\x01\x01\x08\x08", 6));
  EXPECT_EQ(loadLE32(b, 6), 0x01020304u);
  EXPECT_EQ(b[10], 2);                          // address writer type
  EXPECT_EQ(b.substr(11, 37), std::string(37, '\0'));
  EXPECT_EQ(loadLE32(b, 48), 5u);               // wd_idx.dat
  EXPECT_EQ(loadLE32(b, 58), 6u);               // word_type.dat
  EXPECT_EQ(loadLE32(b, 75), 7u);               // wd_spell.mrk
  EXPECT_EQ(b.substr(79, 2), std::string("\x00\x05", 2));
  EXPECT_EQ(loadLE32(b, 81), 8u);               // Classify.iex
  EXPECT_EQ(loadLE16(b, 86), 9u);               // Menu_Speed.lv1
}

TEST(MenuImage, DrillBuildFillsSlots024AndLibraryData) {
  TempDir dir;
  test::writeMenuCompile(dir.path());
  ASSERT_NO_THROW(BuildMenuImage(dir.path(), MenuImageParams::from(MenuParams{}), quietSink()));
  const std::string image = readFile(dir / "Menu.bin");
  const std::string tagRule = readFile(dir / "TagRule.bin");
  ASSERT_EQ(tagRule.size(), 20u);
  ASSERT_EQ(image.size(), 529u);
  EXPECT_EQ(image.substr(0, 20), tagRule);
  EXPECT_EQ(loadLE32(image, 20), 84u);  // first table right after the descriptors
  const std::size_t params = 20 + 114;
  EXPECT_EQ(image[params], 6);
  EXPECT_EQ(image[params + 1], 20);
  EXPECT_EQ(loadLE32(image, params + 6), 2u);  // two menu entries

  const std::size_t counts = params + 88;
  EXPECT_EQ(loadLE32(image, counts), 1u);
  EXPECT_EQ(loadLE32(image, counts + 4), 1u);
  const std::size_t slots = counts + 8;
  const std::uint32_t want[workfiles::kMenuSlotCount][2] = {{494, 5}, {0, 0}, {499, 3}, {502, 2}, {504, 18}};
  for (int s = 0; s < workfiles::kMenuSlotCount; ++s) {
    EXPECT_EQ(loadLE32(image, slots + 8 * s), want[s][0]) << workfiles::kMenuSlotNames[s];
    EXPECT_EQ(loadLE32(image, slots + 8 * s + 4), want[s][1]) << workfiles::kMenuSlotNames[s];
  }
  const std::size_t libs = slots + 240;
  const std::uint32_t libDir[6] = {522, 2, 524, 2, 526, 3};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(loadLE32(image, libs + 4 * i), libDir[i]);
  EXPECT_EQ(image.substr(494, 5), std::string("\x0F\x0F\x0F\x0F\xFF", 5));
  EXPECT_EQ(image.substr(504, 9), std::string("\x11\x00\x00\x00\x00\x00\x00\x00\x01", 9));
  EXPECT_EQ(image.substr(522), std::string("\x00\xFF\x00\x41\x00\x00\x00", 7));
  EXPECT_FALSE(fs::exists(dir / "menu_item.dic_"));
  EXPECT_FALSE(fs::exists(dir / "wdl_m1.sdx_"));
}

TEST(MenuImage, WriterTypeZeroTakesTheAddressList) {
  TempDir dir;
  test::writeMenuCompile(dir.path());
  MenuParams block;
  block.bytes[4] = 0;
  ASSERT_NO_THROW(BuildMenuImage(dir.path(), MenuImageParams::from(block), quietSink()));
  const std::string image = readFile(dir / "Menu.bin");
  const std::size_t slots = 20 + 114 + 88 + 8;
  EXPECT_NE(loadLE32(image, slots + 8), 0u);       // menu_item.add
  EXPECT_EQ(loadLE32(image, slots + 4 * 8 + 4), 18u);
  EXPECT_EQ(loadLE32(image, slots + 2 * 8), 0u);   // no .seg
  EXPECT_EQ(loadLE32(image, slots + 3 * 8), 0u);   // no .off
}

TEST(MenuImage, MissingFilesLeaveEmptySlotsAndZeroEntries) {
  TempDir dir;
  writeFile(dir / "dict.h", test::kMenuDictH);
  test::RecordingSink sink;
  ASSERT_NO_THROW(BuildMenuImage(dir.path(), MenuImageParams::from(MenuParams{}), sink));
  EXPECT_TRUE(sink.logged("No find file:" + (dir / "wdl_m1.dat").string()));
  const std::string image = readFile(dir / "Menu.bin");
  // No TagRule.bin content to copy beyond its header (no tags), no data.
  const std::size_t tagRule = readFile(dir / "TagRule.bin").size();
  EXPECT_EQ(image.size(), tagRule + 114 + 88 + 8 + 240 + 24);
  EXPECT_EQ(image.substr(tagRule + 114 + 88), std::string(8 + 240 + 24, '\0'));
}

}  // namespace
}  // namespace dm
