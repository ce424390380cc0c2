#include "dictcompiler/dict_packer.h"

#include <gtest/gtest.h>

#include <cctype>

namespace dm {
namespace {

TEST(TagCodeTest, CodesRunThroughEscapes) {
  const std::vector<std::pair<std::uint32_t, const char*>> cases{
      {0, "0"}, {9, "9"}, {10, "a"}, {13, "d"}, {14, "e0"}, {27, "ed"}, {28, "ee0"}};
  for (auto [i, code] : cases) EXPECT_EQ(tagCode(i), code) << i;
}

TEST(PadTagPartTest, EndsWithFAndTakesTheParityOfThePreviousText) {
  struct Case {
    const char* part;
    std::uint64_t previous;
    const char* padded;
  };
  const Case cases[] = {
      {"123", 1, "123FF"}, {"12", 1, "12F"}, {"1F", 1, "1FF"}, {"12F", 1, "12F"},
      {"123", 0, "123F"},  {"12", 0, "12FF"}, {"12F", 0, "12FF"}, {"1F", 0, "1F"},
  };
  for (const Case& c : cases) EXPECT_EQ(padTagPart(c.part, c.previous), c.padded) << c.part << " " << c.previous;
}

class PackerTest : public ::testing::Test {
 protected:
  PackerTest() : s_(ctx_) {}

  // Registers tags in name order; `headword` opens entries.
  void tags(const std::vector<std::string>& names, const std::string& headword, bool everyTagOpens = false) {
    for (const std::string& n : names) s_.dict.addTag(n, {}, "a1");
    for (DictTag& t : s_.dict.tags) {
      if (t.name == headword) t.isHeadword = true;
      if (t.name == headword || everyTagOpens) {
        t.opensBlock = true;
        s_.dict.blockTags.push_back({t.name, {}});
      }
    }
  }
  void line(std::uint32_t no, const std::string& tag, const std::string& codes) {
    s_.dict.coded.push_back(CodedLine{no, static_cast<std::uint32_t>(s_.dict.findTag(tag)), codes});
  }
  EntryTables pack() {
    PackDictionary(s_);
    CopyBlockTagCodes(s_);
    return buildEntryTables(s_.dict);
  }
  std::string code(const std::string& tag) const { return s_.dict.tags[s_.dict.findTag(tag)].code; }

  CompileContext ctx_;
  CompileState s_;
};

TEST_F(PackerTest, OneEntryOfTwoLines) {
  tags({"A", "B"}, "A");
  line(1, "B", "2 ");  // out of order: packing restores the line order
  line(0, "A", "3a 1 ");
  const EntryTables t = pack();
  // Equal counts: descending names, so B is 0 and A is 1.
  EXPECT_EQ(code("B"), "0");
  EXPECT_EQ(code("A"), "1");
  // Tag part "10F" padded to even length.
  EXPECT_EQ(t.dic, "10FF 3a 1 F\n2 F\nF\n");
  EXPECT_EQ(t.add, "00000000\t00000000\n");
  EXPECT_EQ(t.aaa, "A\t00000000\t00000000\nB\t00000008\t00000001\n");
  EXPECT_EQ(t.nibbles, 11u);
  EXPECT_EQ(t.entryOffsets, (std::vector<std::uint64_t>{0}));
  EXPECT_EQ(s_.dict.nibbleCount, 7u);  // the coded lines without the tag part
}

TEST_F(PackerTest, SeparatorsStandBeforeEveryLaterHeadwordAndEntriesStartOnBytes) {
  tags({"A"}, "A");
  line(0, "A", "1 ");
  line(1, "A", "2 ");
  const EntryTables t = pack();
  // Entry 1 has 3 text digits (1, F, F), so entry 2's tag part is odd.
  EXPECT_EQ(t.dic, "0F 1 F\nF\n0FF 2 F\nF\n");
  EXPECT_EQ(t.add, "00000000\t00000000\n00000005\t00000001\n");
  EXPECT_EQ(t.aaa, "A\t00000000\t00000000\nA\t00000005\t00000001\n");
}

TEST_F(PackerTest, TagCodesFollowTheLineCounts) {
  std::vector<std::string> names;
  for (int i = 0; i < 15; ++i) names.push_back(std::string("T") + static_cast<char>('a' + i));
  tags(names, "Ta");
  std::uint32_t no = 0;
  // Tag i gets 20 - i lines, so the codes follow the names.
  for (int i = 0; i < 15; ++i)
    for (int k = 0; k < 20 - i; ++k) line(no++, names[i], "1 ");
  pack();
  for (int i = 0; i < 14; ++i) EXPECT_EQ(code(names[i]), tagCode(i));
  EXPECT_EQ(code("To"), "e0");
}

TEST_F(PackerTest, TagWithoutLinesGetsNoCode) {
  tags({"A", "B"}, "A");
  line(0, "A", "1 ");
  pack();
  EXPECT_EQ(code("A"), "0");
  EXPECT_EQ(code("B"), "");
}

TEST_F(PackerTest, EveryCaptionOpensAnEntryInTheMenu) {
  tags({"LV01", "LV02"}, "", true);
  line(0, "LV01", "");
  line(1, "LV02", "1 ");
  line(2, "LV02", "2 ");
  const EntryTables t = pack();
  EXPECT_EQ(code("LV02"), "0");
  EXPECT_EQ(code("LV01"), "1");
  // No headword: only the final separator, in the last entry.
  EXPECT_EQ(t.dic, "1F F\n0FF 1 F\n0F 2 F\nF\n");
  EXPECT_EQ(t.add, "00000000\t00000000\n00000003\t00000001\n00000008\t00000002\n");
}

TEST_F(PackerTest, LinesBeforeTheFirstEntryAreKept) {
  tags({"A", "B"}, "A");
  line(0, "B", "5 ");
  line(1, "A", "6 ");
  const EntryTables t = pack();
  EXPECT_EQ(t.add, "00000000\t00000000\n00000004\t00000001\n");
  EXPECT_EQ(t.dic, "0F 5 F\n1F 6 F\nF\n");
}

TEST_F(PackerTest, LineNumbersWithGapsOrTwiceKeepTheirOrderAmongEqualNumbers) {
  tags({"A", "B"}, "A");
  line(7, "B", "3 ");
  line(2, "A", "1 ");
  line(7, "B", "4 ");  // the same number again: stays after "3 "
  line(5, "B", "2 ");
  const EntryTables t = pack();
  EXPECT_EQ(t.dic, "1000FF 1 F\n2 F\n3 F\n4 F\nF\n");
}

TEST_F(PackerTest, NothingToPack) {
  const EntryTables t = pack();
  EXPECT_EQ(t.dic, "");
  EXPECT_EQ(t.add, "");
}

TEST(EntryAddressListTest, WidthOfEntryNumbers) {
  EXPECT_EQ(entryAddressList({0, 0x1f}, 8), "00000000\n0000001f\n");
  EXPECT_EQ(entryAddressList({0x1f}, 4), "001f\n");
  // Wider values keep all their digits; width 0 still writes one digit.
  EXPECT_EQ(entryAddressList({0x123456789ab, 0}, 8), "123456789ab\n00000000\n");
  EXPECT_EQ(entryAddressList({0, 0xa, 0xffffffffffffffff}, 0), "0\na\nffffffffffffffff\n");
  EXPECT_EQ(entryAddressList({0x1f}, 40), std::string(30, '0') + "1f\n");  // at most 32 wide
}

TEST(CountHexDigitsTest, DigitsAndLettersOfEitherCaseOnly) {
  EXPECT_EQ(countHexDigits(""), 0u);
  EXPECT_EQ(countHexDigits("09 af AF zZ gG"), 10u);
  // The neighbours of the ranges, and bytes above 0x7F.
  EXPECT_EQ(countHexDigits("/:@[`{ \t\n\x80\xc1\xe1\xff"), 0u);
  // Every byte value, at every position of an eight-byte block and in the
  // tail after the blocks.
  std::string all;
  std::uint64_t expected = 0;
  for (int b = 0; b < 256; ++b) {
    all += static_cast<char>(b);
    expected += std::isalnum(b) && b < 0x80;
  }
  for (std::size_t skip = 0; skip < 8; ++skip) {
    const std::string shifted = all.substr(skip) + all.substr(0, skip) + "a0Z";
    EXPECT_EQ(countHexDigits(shifted), expected + 3) << skip;
  }
}

}  // namespace
}  // namespace dm
