#include "container/checksum.h"

#include <gtest/gtest.h>

#include "textio/byte_order.h"
#include "support/temp_dir.h"
#include "work/work_files.h"

namespace dm::container {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::uint32_t checksumOf(const std::string& bytes, std::size_t chunk) {
  Checksum c;
  for (std::size_t at = 0; at < bytes.size(); at += chunk)
    c.update(reinterpret_cast<const std::uint8_t*>(bytes.data()) + at, std::min(chunk, bytes.size() - at));
  return c.value();
}

struct TailCase {
  std::string bytes;
  std::uint32_t sum;
};

// The last full word counts twice when there is no tail; otherwise the tail
// bytes replace its low bytes before it is added again.
TEST(Checksum, TailBytesRule) {
  const TailCase cases[] = {
      {"", 0},
      {std::string("\x05", 1), 5},
      {std::string("\x01\x00\x00\x00", 4), 2},
      {std::string("\x01\x00\x00\x00\x02\x00\x00\x00", 8), 1 + 2 + 2},
      {std::string("\x01\x00\x00\x10\x07", 5), 0x10000001u + 0x10000007u},
      {std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a", 10), 0x04030201u + 0x08070605u + 0x08070a09u},
      {std::string("\xff\xff\xff\xff\xff\xff\xff\xff", 8), 0xFFFFFFFDu},
  };
  for (const TailCase& c : cases)
    for (std::size_t chunk : {1, 3, 4, 64}) EXPECT_EQ(checksumOf(c.bytes, chunk), c.sum) << c.bytes.size() << "/" << chunk;
}

std::tm date(int year, int month0, int day) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month0;
  t.tm_mday = day;
  return t;
}

TEST(Trailer, SparseSumsIncludeTheLastByteAtAMultipleOf0x10000) {
  std::string bytes(0x30001, '\x01');
  bytes[0] = 2;
  bytes[0x10000] = 3;
  bytes[0x20000] = 4;
  bytes[0x30000] = 5;  // the last byte: its offset is a multiple of 0x10000 and 0x30000
  TrailerSums sums;
  for (std::size_t at = 0; at < bytes.size(); at += 4096)
    sums.update(reinterpret_cast<const std::uint8_t*>(bytes.data()) + at, std::min<std::size_t>(4096, bytes.size() - at));
  const std::string t = sums.trailer(date(2013, 4, 9));
  ASSERT_EQ(t.size(), 32u);
  EXPECT_EQ(loadLE16(t, 0), (0xA5A5u - (2 + 3 + 4 + 5)) & 0xFFFF);
  std::uint32_t all = 0;
  for (char c : bytes) all += static_cast<std::uint8_t>(c);
  EXPECT_EQ(loadLE16(t, 2), (0xA5A5u - all) & 0xFFFF);
  EXPECT_EQ(t[4], 9);
  EXPECT_EQ(t[5], 5);
  EXPECT_EQ(loadLE16(t, 6), 2013u);
  EXPECT_EQ(loadLE16(t, 8), 0u);
  EXPECT_EQ(loadLE16(t, 10), (0xA5A5u - (2 + 4)) & 0xFFFF);
  EXPECT_EQ(loadLE16(t, 12), 0u);
  EXPECT_EQ(loadLE16(t, 14), (0xA5A5u - (2 + 5)) & 0xFFFF);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(loadLE32(t, 16 + 4 * i), 0x80808080u);
}

TEST(Trailer, MonthByte) {
  TrailerSums none;
  EXPECT_EQ(none.trailer(date(2026, 11, 31))[5], 0);   // December
  EXPECT_EQ(none.trailer(date(2026, 0, 1))[5], 1);     // January
  EXPECT_EQ(none.trailer(date(2026, 10, 30))[5], 11);  // November
}

TEST(Trailer, AppendedToAFileEqualsTheStreamedSums) {
  TempDir dir;
  std::string bytes(0x10005, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 13 + 1);
  writeFile(dir / workfiles::kContainerDraft, bytes);
  appendTrailer(dir / workfiles::kContainerDraft, date(2025, 11, 24));
  TrailerSums sums;
  sums.update(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  EXPECT_EQ(readFile(dir / workfiles::kContainerDraft), bytes + sums.trailer(date(2025, 11, 24)));
  appendTrailer(dir / "missing.pre", date(2025, 11, 24));
  EXPECT_FALSE(fs::exists(dir / "missing.pre"));
}

}  // namespace
}  // namespace dm::container
