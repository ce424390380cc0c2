#include "media/bitmap_ext_image.h"

#include <gtest/gtest.h>

#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

std::uint32_t u32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s.at(at + static_cast<std::size_t>(i)));
  return v;
}

class ExtBmpImageTest : public ::testing::Test {
 protected:
  ExtBmpImageTest() : paths(WorkPaths::under(dir.path())) { fs::create_directories(paths.destin / workfiles::kBmpExtFolder); }
  test::TempDir dir;
  WorkPaths paths;
  test::RecordingSink log;
};

TEST_F(ExtBmpImageTest, HeaderMembersAndPadding) {
  writeFile(paths.destin / workfiles::kBmpExtFolder / workfiles::kColourAddressTable, "000001\t000000\t0010\t0008\nFFFFFF\t000003\t0000\t0000\n");
  writeFile(paths.destin / workfiles::kBmpExtFolder / workfiles::kColourData, "abc");
  buildExtBmpImage(paths, log);
  const std::string image = readFile(paths.destin / workfiles::kExtBmpImage);
  ASSERT_EQ(image.size(), 138u + 20u + 3u + 16u);
  EXPECT_EQ(image.substr(0, 6), std::string("\x00\x06\x00\x06\x00\x04", 6));
  EXPECT_EQ(image.substr(6, 20), std::string(20, '\0'));
  EXPECT_EQ(u32(image, 26), 138u);
  EXPECT_EQ(u32(image, 30), 20u);
  EXPECT_EQ(u32(image, 34), 158u);
  EXPECT_EQ(u32(image, 38), 3u);
  EXPECT_EQ(image.substr(42, 96), std::string(96, '\0')) << "two unused member entries and 80 zero bytes";
  EXPECT_EQ(image.substr(138, 20),
            std::string("\x00\x00\x01\x00\x00\x00\x00\x10\x00\x08\xFF\xFF\xFF\x00\x00\x03\x00\x00\x00\x00", 20));
  EXPECT_EQ(image.substr(158, 3), "abc");
  EXPECT_EQ(image.substr(161), std::string(16, '\0'));
  EXPECT_TRUE(log.lines.empty());
  EXPECT_FALSE(fs::exists(paths.destin / workfiles::kBmpExtFolder / "bitmap.add_"));
  EXPECT_FALSE(fs::exists(paths.destin / workfiles::kBmpExtFolder / "bitmap.dat_"));
}

TEST_F(ExtBmpImageTest, MissingMemberContributesNoBytes) {
  writeFile(paths.destin / workfiles::kBmpExtFolder / workfiles::kColourAddressTable, "FFFFFF\t000000\t0000\t0000\n");
  buildExtBmpImage(paths, log);
  const std::string image = readFile(paths.destin / workfiles::kExtBmpImage);
  ASSERT_EQ(image.size(), 138u + 10u + 16u);
  EXPECT_EQ(u32(image, 34), 148u);
  EXPECT_EQ(u32(image, 38), 0u);
  EXPECT_EQ(log.lines, std::vector<std::string>{"No such file! " + (paths.destin / workfiles::kBmpExtFolder / workfiles::kColourData).string()});
}

}  // namespace
}  // namespace dm
