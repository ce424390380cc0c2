#include "dictcompiler/rom_table.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/failure.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

struct RomCase {
  const char* name;
  std::vector<std::uint64_t> values;
  const char* off;
  const char* seg;
};

std::vector<std::uint64_t> repeat(std::uint64_t v, int n) { return std::vector<std::uint64_t>(n, v); }
std::vector<std::uint64_t> count(std::uint64_t from, int n) {
  std::vector<std::uint64_t> v;
  for (int i = 0; i < n; ++i) v.push_back(from + i);
  return v;
}

class RomTableCases : public ::testing::TestWithParam<RomCase> {};

TEST_P(RomTableCases, WritesOffsetAndSegmentFiles) {
  const RomCase& c = GetParam();
  std::ostringstream seg, off;
  writeSegmentedTable(c.values, seg, off);
  EXPECT_EQ(off.str(), c.off);
  EXPECT_EQ(seg.str(), c.seg);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, RomTableCases,
    ::testing::Values(
        RomCase{"Worked", {0, 1, 2, 3, 7, 7}, "0 B 17 0 \n", "4011\n0\n"},
        RomCase{"SixtyFourEqual", repeat(5, 64), "5 8F3F \n", "4011\n0\n"},
        RomCase{"SeventeenValues", count(0, 17), "00 F10 \n", "4012\n0\n"},
        RomCase{"SixtyFiveValuesTwoBlocks", count(0, 65), "00 F3F \n40 \n", "4012\n0\n5\n"},
        RomCase{"TwoEqual", {1, 1, 1}, "1 00 \n", "4011\n0\n"},
        RomCase{"ThreeEqual", repeat(1, 4), "1 83 \n", "4011\n0\n"},
        RomCase{"FourteenEqual", repeat(1, 15), "1 8E \n", "4011\n0\n"},
        RomCase{"FifteenEqual", repeat(1, 16), "1 8F0F \n", "4011\n0\n"},
        RomCase{"FiveIncrements", count(1, 6), "1 D \n", "4011\n0\n"},
        RomCase{"SixIncrements", count(1, 7), "1 E6 \n", "4011\n0\n"},
        RomCase{"FifteenIncrements", count(0, 16), "0 EF \n", "4011\n0\n"},
        RomCase{"EqualThenIncrement", {5, 5, 6, 7}, "5 0 A \n", "4011\n0\n"},
        RomCase{"IncrementThenEqual", {5, 6, 6}, "5 9 0 \n", "4011\n0\n"},
        RomCase{"LiteralKeepsSharedDigits", {0x1234, 0x1250, 0x1250}, "1234 250 0 \n", "4014\n0\n"},
        RomCase{"LiteralPaddedToWidth", {0xABC, 0x5}, "ABC 3005 \n", "4013\n0\n"},
        RomCase{"Empty", {}, "", "4011\n"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(RomTableTest, SegmentOffsetsCountDigitsOnly) {
  // 64 values alternating 1111 and 2222 (literals of four digits), then a
  // second block.
  std::vector<std::uint64_t> values;
  for (int i = 0; i < 64; ++i) values.push_back(i % 2 ? 0x2222 : 0x1111);
  values.push_back(0);
  std::ostringstream seg, off;
  writeSegmentedTable(values, seg, off);
  const std::string text = off.str();
  const std::string first = text.substr(0, text.find('\n'));
  std::size_t digits = 0;
  for (char ch : first) digits += ch != ' ';
  EXPECT_EQ(digits, 4u + 63u * 5u);  // first value, then 63 literals "4dddd"
  // W is the digit count of the largest start, 0x13F: "40" "3" "4".
  EXPECT_EQ(seg.str(), "4034\n000\n13F\n");
  EXPECT_EQ(text.substr(text.find('\n') + 1), "0000 \n");
}

TEST(RomTableTest, ReadsListSkippingEmptyAndCommentLines) {
  std::istringstream list("1\n\n:comment\n 2 \t3\r\n00ff\n");
  EXPECT_EQ(readHexList(list), (std::vector<std::uint64_t>{1, 0x23, 0xff}));
}

TEST(RomTableTest, LiteralOfEightDigitsIsRefused) {
  std::ostringstream seg, off;
  EXPECT_THROW(writeSegmentedTable({0x10000000, 0x2345678A}, seg, off), PassFailure);
  std::ostringstream seg2, off2;
  EXPECT_NO_THROW(writeSegmentedTable({0x10000000, 0x12345678}, seg2, off2));
}

TEST(RomTableTest, WriterTypeZeroWritesNothing) {
  test::TempDir dir;
  test::writeFile(dir / "list.dat", "00000000\n00000010\n");
  WriteRomTable(dir / "list.dat", 0, dir / "t.seg", dir / "t.off");
  EXPECT_FALSE(std::filesystem::exists(dir / "t.seg"));
  EXPECT_FALSE(std::filesystem::exists(dir / "t.off"));
}

TEST(RomTableTest, WriterTypeTwoWritesBothFiles) {
  test::TempDir dir;
  test::writeFile(dir / "list.dat", "00000000\n00000001\n00000002\n00000003\n00000007\n00000007\n");
  WriteRomTable(dir / "list.dat", 2, dir / "t.seg", dir / "t.off");
  EXPECT_EQ(test::readFile(dir / "t.off"), "0 B 17 0 \n");
  EXPECT_EQ(test::readFile(dir / "t.seg"), "4011\n0\n");
}

TEST(RomTableTest, MissingListIsAPassFailure) {
  test::TempDir dir;
  EXPECT_THROW(WriteRomTable(dir / "none.dat", 2, dir / "t.seg", dir / "t.off"), PassFailure);
}

}  // namespace
}  // namespace dm
