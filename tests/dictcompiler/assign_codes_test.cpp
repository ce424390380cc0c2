#include "dictcompiler/assign_codes.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <set>

namespace dm {
namespace {

std::string codeOf(const NibbleCodes& c, std::uint32_t item) { return formatCode(c.value[item], c.length[item]); }

TEST(AssignCodesTest, NoItemsUseOnlyTheFirstLength) {
  const NibbleCodes c = AssignCodes({});
  EXPECT_EQ(c.dist, (CodeLengthDist{15, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(c.cost, 0u);
  EXPECT_TRUE(c.order.empty());
}

TEST(AssignCodesTest, FifteenOrFewerItemsGetOneNibbleInKeyOrder) {
  // Counts in ascending key order; codes follow the keys, not the counts.
  const std::vector<std::uint32_t> counts{5, 1, 9, 3};
  const NibbleCodes c = AssignCodes(counts);
  EXPECT_EQ(c.dist, (CodeLengthDist{15, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(c.cost, 18u);
  for (std::uint32_t i = 0; i < counts.size(); ++i) EXPECT_EQ(codeOf(c, i), formatCode(i, 1));
  EXPECT_EQ(c.order, (std::vector<std::uint32_t>{0, 1, 2, 3}));
}

TEST(AssignCodesTest, EqualCountsAreSearchedInDescendingKeyOrder) {
  // Twenty equal counts: the 14 highest keys take the one-nibble codes 0-d,
  // numbered in ascending key order; keys 0-5 get e0-e5.
  const std::vector<std::uint32_t> counts(20, 1);
  const NibbleCodes c = AssignCodes(counts);
  EXPECT_EQ(c.dist, (CodeLengthDist{14, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(c.cost, 14u + 2u * 6u);
  for (std::uint32_t i = 0; i < 6; ++i) EXPECT_EQ(codeOf(c, i), "e" + formatCode(i, 1)) << i;
  for (std::uint32_t i = 6; i < 20; ++i) EXPECT_EQ(codeOf(c, i), formatCode(i - 6, 1)) << i;
  // Code order: the one-nibble codes first.
  EXPECT_EQ(c.order.front(), 6u);
  EXPECT_EQ(c.order[14], 0u);
}

TEST(AssignCodesTest, FrequentItemsGetShortCodes) {
  // 16 items: key 3 is frequent, so it keeps a one-nibble code while the two
  // lowest keys with count 1 move to two nibbles.
  std::vector<std::uint32_t> counts(16, 1);
  counts[3] = 100;
  const NibbleCodes c = AssignCodes(counts);
  EXPECT_EQ(c.dist, (CodeLengthDist{14, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(c.length[3], 1);
  EXPECT_EQ(c.cost, 100u + 13u + 4u);
  EXPECT_EQ(codeOf(c, 0), "e0");
  EXPECT_EQ(codeOf(c, 1), "e1");
  EXPECT_EQ(codeOf(c, 2), "0");
}

TEST(AssignCodesTest, TheFirstDistributionFoundWinsATie) {
  // Sixteen items that never occur: every distribution costs 0.
  std::vector<std::uint32_t> counts(16, 0);
  const NibbleCodes c = AssignCodes(counts);
  // The first one searched (no one-nibble codes) is kept.
  EXPECT_EQ(c.cost, 0u);
  EXPECT_EQ(c.dist, (CodeLengthDist{0, 15, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(codeOf(c, 0), "00");
  EXPECT_EQ(codeOf(c, 15), "0f");
}

TEST(AssignCodesTest, SixteenFirstNibbleValues) {
  std::vector<std::uint32_t> counts(16, 1);
  const NibbleCodes c = AssignCodes(counts, 16);
  EXPECT_EQ(c.dist, (CodeLengthDist{16, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(codeOf(c, 15), "f");
}

// Properties over random inputs: the codes form a canonical prefix code that
// a decoder of the running sums and offsets can read, and the cost adds up.
TEST(AssignCodesTest, CodesDecodeThroughTheOffsets) {
  std::mt19937 rng(7);
  for (std::uint32_t n : {1u, 14u, 15u, 16u, 100u, 239u, 240u, 241u, 1000u, 5000u}) {
    std::vector<std::uint32_t> counts(n);
    for (auto& x : counts) x = 1 + rng() % (rng() % 3 == 0 ? 1000 : 10);
    const NibbleCodes c = AssignCodes(counts);
    unsigned sum = 0;
    for (auto d : c.dist) sum += d;
    EXPECT_EQ(sum, 15u) << n;
    ASSERT_EQ(c.order.size(), n);
    std::uint32_t cost = 0;
    std::set<std::string> codes;
    for (std::uint32_t pos = 0; pos < n; ++pos) {
      const std::uint32_t item = c.order[pos];
      const int k = c.length[item] - 1;
      cost += counts[item] * c.length[item];
      EXPECT_EQ(c.value[item] - codeOffset(c.dist, k), pos) << n;
      // The first nibble lies in the range of its length.
      const std::uint32_t first = c.value[item] >> (4 * k);
      unsigned before = 0;
      for (int j = 0; j < k; ++j) before += c.dist[j];
      EXPECT_GE(first, before);
      EXPECT_LT(first, before + c.dist[k]);
      codes.insert(codeOf(c, item));
      // Within one length, ascending keys have ascending codes.
      if (pos > 0 && c.length[c.order[pos - 1]] == c.length[item]) {
        EXPECT_LT(c.order[pos - 1], item);
      }
    }
    EXPECT_EQ(codes.size(), n);
    EXPECT_EQ(cost, c.cost) << n;
  }
}

TEST(AssignCodesTest, OffsetsOfTheWorkedDistribution) {
  const CodeLengthDist dist{5, 3, 7, 0, 0, 0, 0, 0};
  EXPECT_EQ(codeOffset(dist, 0), 0u);
  EXPECT_EQ(codeOffset(dist, 1), 0x4bu);
  EXPECT_EQ(codeOffset(dist, 2), 0x7cbu);
}

TEST(AssignCodesTest, FormatCodePadsWithZeros) {
  EXPECT_EQ(formatCode(0xe0, 2), "e0");
  EXPECT_EQ(formatCode(0x5, 3), "005");
  EXPECT_EQ(formatCode(0, 1), "0");
}

TEST(AssignCodesTest, AppendCodeWritesExactlyTheLengthAfterWhatIsThere) {
  struct Case {
    std::uint32_t value;
    unsigned length;
    const char* expected;
  };
  const Case cases[] = {
      {0xe0, 2, "ab:e0"},          {0x5, 3, "ab:005"},  {0, 1, "ab:0"},
      {0, 0, "ab:"},               {0x123, 2, "ab:23"},  // digits above the length are dropped
      {0xfedcba98, 8, "ab:fedcba98"},
  };
  for (const Case& c : cases) {
    std::string out = "ab:";
    appendCode(out, c.value, c.length);
    EXPECT_EQ(out, c.expected) << std::hex << c.value << " in " << c.length;
    EXPECT_EQ(formatCode(c.value, c.length), std::string(c.expected).substr(3));
  }
}

}  // namespace
}  // namespace dm
