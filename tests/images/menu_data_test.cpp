#include "images/menu_data.h"

#include <gtest/gtest.h>

#include <sstream>

#include "images/images.h"
#include "images/random_input.h"
#include "platform/failure.h"
#include "support/temp_dir.h"
#include "work/build_options.h"

namespace dm {
namespace {

struct Line {
  const char* in;
  const char* out;
};

TEST(MenuData, IndexLinesAtTheMenuWidths) {
  const Line cases[] = {
      {"LV02\t5\t00000003\tFFFFFFFF\n", "2\t5\t00000003\t7fffffff\n"},
      {"LV01\t1\t0000000a\n", "1\t1\t0000000a\n"},
      {"LV01\t1\t0000000a\r\n", "1\t1\t0000000a\n"},
      {"LV03\t2\t00000010\t0000FFFF\n", "3\t2\t00000010\tffffffff\n"},
      {"LV0a\t1\tzz\t-1\n", "a\t1\t00000000\tffffffff\n"},
      {"LV01\n", "1\t0\t00000000\n"},
      {"\n", ""},
  };
  for (const Line& c : cases) {
    std::istringstream in(c.in);
    std::ostringstream out;
    convertMenuIndex(in, out, MenuParams{});
    EXPECT_EQ(out.str(), c.out) << c.in;
  }
}

TEST(MenuData, FieldsAreSigned32BitHex) {
  EXPECT_EQ(readMenuField("7fffffff"), 0x7FFFFFFFu);
  EXPECT_EQ(readMenuField("80000000"), 0x7FFFFFFFu);
  EXPECT_EQ(readMenuField("123456789abcdef"), 0x7FFFFFFFu);
  EXPECT_EQ(readMenuField("0x1A"), 0x1Au);
  EXPECT_EQ(readMenuField(""), 0u);
  EXPECT_EQ(readMenuField("-80000000"), 0x80000000u);
}

TEST(MenuData, NarrowerLinkWidthPadsLess) {
  MenuParams block;
  block.bytes[2] = 4;
  std::istringstream in("LV01\t1\t0000000a\t0000FFFF\n");
  std::ostringstream out;
  convertMenuIndex(in, out, block);
  EXPECT_EQ(out.str(), "1\t1\t000a\tffff\n");
}

TEST(MenuData, MenuIndexFileGoesToDestinMenu) {
  test::TempDir dir;
  const WorkPaths paths = WorkPaths::under(dir.path());
  test::writeFile(paths.middata / "Menu/menu.idx", "LV01\t1\t0000000a\t0000FFFF\r\n");
  MenuParams block;
  block.bytes[2] = 4;
  convertMenuIndexFile(MenuIndexContext{paths, block});
  EXPECT_EQ(test::readFile(paths.destin / "Menu/menu.idx"), "1\t1\t000a\tffff\n");
}

TEST(MenuData, MissingMenuIndexFailsThePass) {
  test::TempDir dir;
  const WorkPaths paths = WorkPaths::under(dir.path());
  const MenuParams block;
  try {
    convertMenuIndexFile(MenuIndexContext{paths, block});
    FAIL() << "no failure";
  } catch (const PassFailure& e) {
    EXPECT_EQ(std::string(e.what()), "can't open file " + (paths.middata / "Menu/menu.idx").string() +
                                           ": No such file or directory");
  }
}

TEST(MenuData, RandomInputNeverFaults) {
  for (const std::string& text : test::randomInputs(300, 400, 14)) {
    std::istringstream in(text);
    std::ostringstream out;
    convertMenuIndex(in, out, MenuParams{});
  }
}

}  // namespace
}  // namespace dm
