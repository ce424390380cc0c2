#include "images/work_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "textio/byte_order.h"
#include "platform/failure.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(CopyFileBytes, CompletesShortAndMissingFilesWithZeros) {
  TempDir dir;
  writeFile(dir / "a", "abc");
  std::ostringstream out;
  EXPECT_TRUE(copyFileBytes(dir / "a", 5, out));
  EXPECT_EQ(out.str(), std::string("abc\0\0", 5));
  std::ostringstream none;
  EXPECT_FALSE(copyFileBytes(dir / "b", 2, none));
  EXPECT_EQ(none.str(), std::string(2, '\0'));
}

TEST(MoveIntoFolder, ReplacesTargetAndRemovesSource) {
  TempDir dir;
  writeFile(dir / "Dict" / "Dic.bin", "new");
  writeFile(dir / "Dic.bin", "old");
  moveIntoFolder(dir / "Dict" / "Dic.bin", dir.path());
  EXPECT_EQ(readFile(dir / "Dic.bin"), "new");
  EXPECT_FALSE(fs::exists(dir / "Dict" / "Dic.bin"));
  EXPECT_THROW(moveIntoFolder(dir / "Dict" / "none.bin", dir.path()), PassFailure);
}

TEST(RequireWritten, FlushesAndNamesAFullDisk) {
  std::ofstream out("/dev/full", std::ios::binary);
  out << "image bytes";
  try {
    requireWritten(out, "/dev/full");
    FAIL() << "a write to a full device succeeded";
  } catch (const PassFailure& e) {
    EXPECT_STREQ(e.what(), "can't write file /dev/full: No space left on device");
  }
}

TEST(ByteOrder, ExplicitEndianAndRangeChecks) {
  std::string b;
  appendLE16(b, 0x1234);
  appendLE32(b, 0x89ABCDEF);
  appendBE16(b, 0x1234);
  appendBE24(b, 0x123456);
  appendBE32(b, 0x89ABCDEF);
  EXPECT_EQ(b, std::string("\x34\x12\xEF\xCD\xAB\x89\x12\x34\x12\x34\x56\x89\xAB\xCD\xEF"));
  EXPECT_EQ(loadLE32(b, 2), 0x89ABCDEFu);
  EXPECT_EQ(checked32(0xFFFFFFFFull, "x"), 0xFFFFFFFFu);
  EXPECT_THROW(checked32(0x100000000ull, "x"), PassFailure);
  EXPECT_THROW(checked16(0x10000, "x"), PassFailure);
}

}  // namespace
}  // namespace dm
