#include "container/index_image.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace dm::container {
namespace {

TEST(IndexImage, EightyBytesWithoutMembers) {
  std::string want("\0\0", 2);
  for (int i = 0; i < 33; ++i) want += "\xff\xff";
  want += std::string(6, '\0');
  want += std::string("\x01\x00\x03\x00\x00\x00", 6);
  EXPECT_EQ(indexImageBytes(BuildHeader{}), want);
  ASSERT_EQ(want.size(), 80u);

  test::TempDir dir;
  writeIndexImage(dir / workfiles::kIndexImage, BuildHeader{});
  EXPECT_EQ(test::readFile(dir / workfiles::kIndexImage), want);
}

}  // namespace
}  // namespace dm::container
