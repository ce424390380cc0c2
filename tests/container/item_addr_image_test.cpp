#include "container/item_addr_image.h"

#include <gtest/gtest.h>

#include "textio/byte_order.h"
#include "images/compiler_fixture.h"
#include "platform/failure.h"

namespace dm::container {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

BuildHeader drillHeader() {
  BuildHeader h;
  h.entryAddressFiles = {"entry_add.seg", "entry_add.off"};
  h.wordLibFiles = {"WDL_a1.dat", "WDL_a1.cod", "WDL_a1.sdx"};
  return h;
}

TEST(ItemAddrImage, DrillBuildCarriesTheSegmentAndOffsetTables) {
  TempDir dir;
  test::writeDrillBody(dir.path());
  buildItemAddrImage(dir.path(), drillHeader(), quietSink());
  const std::string image = readFile(dir / workfiles::kItemAddrImage);
  ASSERT_EQ(image.size(), 202u + 3 + 1);
  EXPECT_EQ(image.substr(0, 7), std::string("\x08\x04\x02\x00\x00\x00\x00", 7));
  EXPECT_EQ(loadLE32(image, 7), 1u);  // one entry
  EXPECT_EQ(image.substr(11, 2), std::string("\x08\x00", 2));
  EXPECT_EQ(image.substr(13, 37), std::string(37, '\0'));
  const std::uint32_t directory[9][2] = {{0, 0}, {202, 3}, {205, 1}};
  for (int s = 0; s < 9; ++s) {
    EXPECT_EQ(loadLE32(image, 50 + 8 * s), directory[s][0]) << s;
    EXPECT_EQ(loadLE32(image, 54 + 8 * s), directory[s][1]) << s;
  }
  EXPECT_EQ(image.substr(122, 80), std::string(80, '\0'));
  EXPECT_EQ(image.substr(202), std::string("\x40\x11\x0F\x0F", 4));
  EXPECT_EQ(readFile(dir / workfiles::kItemAddrErrors), "");
  EXPECT_FALSE(fs::exists(dir / "entry_add.seg_"));
  EXPECT_FALSE(fs::exists(dir / "entry_add.dat_"));
}

TEST(ItemAddrImage, NoEntriesAndAMissingMember) {
  TempDir dir;
  writeFile(dir / "entry_add.dat", "");
  writeFile(dir / "entry_add.seg", "4011\n");
  buildItemAddrImage(dir.path(), drillHeader(), quietSink());
  const std::string image = readFile(dir / workfiles::kItemAddrImage);
  EXPECT_EQ(loadLE32(image, 7), 0u);
  EXPECT_EQ(readFile(dir / workfiles::kItemAddrErrors), (dir / "entry_add.off").string() + "\n");
  EXPECT_EQ(loadLE32(image, 58), 202u);
  EXPECT_EQ(loadLE32(image, 62), 2u);
  EXPECT_EQ(loadLE32(image, 66), 0u);  // entry_add.off absent
  EXPECT_EQ(image.size(), 204u);
}

TEST(ItemAddrImage, WriterTypeZeroListsTheAddressList) {
  TempDir dir;
  test::writeDrillBody(dir.path());
  BuildHeader h;
  h.tableWriterType = 0;
  h.entryAddressFiles = {"ENTRY_ADD.DAT"};
  buildItemAddrImage(dir.path(), h, quietSink());
  const std::string image = readFile(dir / workfiles::kItemAddrImage);
  EXPECT_EQ(image[2], 0);
  EXPECT_EQ(loadLE32(image, 50), 202u);
  EXPECT_EQ(loadLE32(image, 54), 4u);
  EXPECT_EQ(loadLE32(image, 58), 0u);
}

TEST(ItemAddrImage, UncreatableImageFailsThePassNamingIt) {
  TempDir dir;
  fs::create_directory(dir / workfiles::kItemAddrImage);
  try {
    buildItemAddrImage(dir.path(), drillHeader(), quietSink());
    ADD_FAILURE() << "no failure";
  } catch (const PassFailure& e) {
    EXPECT_EQ(std::string(e.what()), "can't create file " + (dir / workfiles::kItemAddrImage).string());
  }
}

}  // namespace
}  // namespace dm::container
