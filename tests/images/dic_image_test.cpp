#include "images/dic_image.h"

#include <gtest/gtest.h>

#include "textio/byte_order.h"
#include "images/compiler_fixture.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(DicImage, EmptyOrMissingTextGives88ZeroBytes) {
  for (bool present : {true, false}) {
    TempDir dir;
    if (present) writeFile(dir / "Drill.dic", "");
    testing::internal::CaptureStdout();
    ASSERT_EQ(BuildDicImage(dir.path(), "Drill"), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(readFile(dir / "Dic.bin"), std::string(88, '\0'));
    EXPECT_EQ(out.find("No such file!") != std::string::npos, !present);
    EXPECT_TRUE(fs::exists(dir / "Dicerror.txt"));
    EXPECT_FALSE(fs::exists(dir / "Drill.dic_"));
  }
}

TEST(DicImage, HeaderThenPackedText) {
  TempDir dir;
  writeFile(dir / "Drill.dic", test::kDrillDic);
  ASSERT_EQ(BuildDicImage(dir.path(), "Drill"), 0);
  std::string image = readFile(dir / "Dic.bin");
  ASSERT_EQ(image.size(), 88 + test::kDrillDicBytes.size());
  EXPECT_EQ(loadLE32(image, 0), 88u);
  EXPECT_EQ(loadLE32(image, 4), test::kDrillDicBytes.size());
  EXPECT_EQ(image.substr(8, 80), std::string(80, '\0'));
  EXPECT_EQ(image.substr(88), test::kDrillDicBytes);
  EXPECT_FALSE(fs::exists(dir / "Drill.dic_"));
}

TEST(DicImage, UncreatableImage) {
  TempDir dir;
  fs::create_directory(dir / "Dic.bin");
  EXPECT_EQ(BuildDicImage(dir.path(), "Drill"), -1);
}

}  // namespace
}  // namespace dm
