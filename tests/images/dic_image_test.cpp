#include "images/dic_image.h"

#include <gtest/gtest.h>

#include <functional>

#include "images/compiler_fixture.h"
#include "images/menu_image.h"
#include "images/tagrule_image.h"
#include "images/wordlib_image.h"
#include "platform/failure.h"
#include "support/recording_sink.h"
#include "textio/byte_order.h"
#include "work/build_options.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(DicImage, EmptyOrMissingTextGives88ZeroBytes) {
  for (bool present : {true, false}) {
    TempDir dir;
    if (present) writeFile(dir / "Drill.dic", "");
    test::RecordingSink sink;
    ASSERT_NO_THROW(BuildDicImage(dir.path(), "Drill", sink));
    EXPECT_EQ(readFile(dir / "Dic.bin"), std::string(88, '\0'));
    EXPECT_EQ(sink.logged("No such file! " + (dir / "Drill.dic_").string()), !present);
    EXPECT_TRUE(fs::exists(dir / "Dicerror.txt"));
    EXPECT_FALSE(fs::exists(dir / "Drill.dic_"));
  }
}

TEST(DicImage, HeaderThenPackedText) {
  TempDir dir;
  writeFile(dir / "Drill.dic", test::kDrillDic);
  ASSERT_NO_THROW(BuildDicImage(dir.path(), "Drill", quietSink()));
  std::string image = readFile(dir / "Dic.bin");
  ASSERT_EQ(image.size(), 88 + test::kDrillDicBytes.size());
  EXPECT_EQ(loadLE32(image, 0), 88u);
  EXPECT_EQ(loadLE32(image, 4), test::kDrillDicBytes.size());
  EXPECT_EQ(image.substr(8, 80), std::string(80, '\0'));
  EXPECT_EQ(image.substr(88), test::kDrillDicBytes);
  EXPECT_FALSE(fs::exists(dir / "Drill.dic_"));
}

// An image builder that cannot create its image fails the pass naming it
// (the text the final assembly gave when the builder returned -1).
struct UncreatableImage {
  const char* name;
  const char* image;    // the image named in the failure
  const char* blocker;  // made a folder (so that the image cannot be created), or
  const char* removed;  // a compiler output taken away
  std::function<void(const fs::path&)> build;

  friend void PrintTo(const UncreatableImage& c, std::ostream* os) { *os << c.name; }
};

class UncreatableImageTest : public ::testing::TestWithParam<UncreatableImage> {};

TEST_P(UncreatableImageTest, FailsThePassNamingTheImage) {
  TempDir dir;
  test::writeDrillBody(dir.path());
  if (GetParam().blocker) fs::create_directory(dir / GetParam().blocker);
  if (GetParam().removed) fs::remove(dir / GetParam().removed);
  try {
    GetParam().build(dir.path());
    FAIL() << "no failure";
  } catch (const PassFailure& e) {
    EXPECT_EQ(std::string(e.what()), "can't create file " + (dir / GetParam().image).string());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Builders, UncreatableImageTest,
    ::testing::Values(
        UncreatableImage{"Dic", "Dic.bin", "Dic.bin", nullptr,
                         [](const fs::path& d) { return BuildDicImage(d, "Drill", quietSink()); }},
        UncreatableImage{"WordLib", "WordLib.bin", "WordLib.bin", nullptr,
                         [](const fs::path& d) { return BuildWordLibImage(d); }},
        UncreatableImage{"TagRule", "TagRule.bin", "TagRule.bin", nullptr,
                         [](const fs::path& d) { return BuildTagRuleImage(d, "Drill_tag.h", true, quietSink()); }},
        UncreatableImage{"TagRuleWithoutRuleList", "TagRule.bin", nullptr, "tag_rule.lst",
                         [](const fs::path& d) { return BuildTagRuleImage(d, "Drill_tag.h", true, quietSink()); }},
        UncreatableImage{"Menu", "Menu.bin", "Menu.bin", nullptr,
                         [](const fs::path& d) {
                           return BuildMenuImage(d, MenuImageParams::from(MenuParams{}), quietSink());
                         }}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace dm
