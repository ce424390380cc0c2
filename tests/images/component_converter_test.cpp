#include "images/component_converter.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "images/random_input.h"
#include "platform/failure.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

struct Case {
  const char* name;
  int kind;
  std::string input;
  std::string output;
  std::uint64_t lines;
  std::uint64_t recordWidth;
};

class ConvertKinds : public ::testing::TestWithParam<Case> {};

TEST_P(ConvertKinds, BytesLinesAndWidth) {
  const Case& c = GetParam();
  std::istringstream in(c.input);
  std::ostringstream out;
  ComponentResult r = convertComponent(in, out, c.kind);
  EXPECT_EQ(out.str(), c.output);
  EXPECT_EQ(r.size, c.output.size());
  EXPECT_EQ(r.lines, c.lines);
  EXPECT_EQ(r.recordWidth, c.recordWidth);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConvertKinds,
    ::testing::Values(
        Case{"PairsAcrossLines", 0, "12 3\n4a f\n", bytes({0x12, 0x34, 0xAF}), 2, 4},
        Case{"OddLastDigit", 0, "7", bytes({0x7F}), 1, 1},
        Case{"CommentLine", 0, ":12 34\n", "", 0, 0},
        Case{"HexPrefix", 0, "0x1F\n", bytes({0x1F}), 1, 2},
        Case{"CrLfAndEmptyLines", 0, "12\r\n\r\n34\r\n", bytes({0x12, 0x34}), 2, 2},
        Case{"StopsAtColon", 0, "ab:cd\n", bytes({0xAB}), 1, 5},
        Case{"TabsRemovedUnequalWidths", 0, "1\t2\n345\n", bytes({0x12, 0x34, 0x5F}), 2, 0},
        Case{"UpperAndLowerCase", 0, "aB Cd\n", bytes({0xAB, 0xCD}), 1, 5},
        Case{"NonHexIgnored", 0, "zz 1g2\n", bytes({0x12}), 1, 6},
        Case{"Empty", 0, "", "", 0, 0},
        Case{"TripletOfIndex", 4, "000014\n", bytes({0x00, 0x00, 0x14}), 1, 0},
        Case{"TripletSecondNumberIgnored", 4, "000014 3\n:5\n\n 1a 9\r\n",
             bytes({0x00, 0x00, 0x14, 0x00, 0x00, 0x1A}), 2, 0},
        Case{"TripletKeepsLow24Bits", 4, "1234567\n", bytes({0x23, 0x45, 0x67}), 1, 0},
        Case{"TripletLineWithoutNumber", 4, "zz\n0x20\n", bytes({0x00, 0x00, 0x20}), 1, 0},
        Case{"CopyKeepsEveryByte", 1, std::string("a\0\r\n:b", 6), std::string("a\0\r\n:b", 6), 0, 0}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ConvertComponent, IndexFilesCountOnlyLinesWithTab) {
  std::istringstream in("a\tb\nc\n");
  std::ostringstream out;
  ComponentResult r = convertComponent(in, out, kHexNibbles, true);
  EXPECT_EQ(r.lines, 1u);
  EXPECT_EQ(out.str(), bytes({0xAB, 0xCF}));

  EXPECT_TRUE(countsTabLinesOnly("sidx.trm"));
  EXPECT_TRUE(countsTabLinesOnly("rev_pidx.trm"));
  EXPECT_TRUE(countsTabLinesOnly("sidx_long.trm"));
  EXPECT_FALSE(countsTabLinesOnly("menu_item.dic"));
}

TEST(ConvertComponent, UnknownKindFailsThePassAndWritesNothing) {
  std::istringstream in("12\n");
  std::ostringstream out;
  try {
    convertComponent(in, out, 3);
    FAIL() << "no failure";
  } catch (const PassFailure& e) {
    EXPECT_STREQ(e.what(), "Type error!");
  }
  EXPECT_EQ(out.str(), "");
}

TEST(ConvertComponent, FileGetsUnderscoreCopy) {
  TempDir dir;
  writeFile(dir / "a.dat", "0 1 f\n");
  std::optional<ComponentResult> r = ConvertComponent(dir / "a.dat", kHexNibbles, 7);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->callerValue, 7u);
  EXPECT_EQ(r->size, 2u);
  EXPECT_EQ(readFile(dir / "a.dat_"), bytes({0x01, 0xFF}));
}

TEST(ConvertComponent, MissingInputOrUncreatableOutputGivesNothing) {
  TempDir dir;
  EXPECT_FALSE(ConvertComponent(dir / "missing.dat", kHexNibbles));
  EXPECT_FALSE(fs::exists(dir / "missing.dat_"));

  writeFile(dir / "b.dat", "12\n");
  fs::create_directory(dir / "b.dat_");
  EXPECT_FALSE(ConvertComponent(dir / "b.dat", kHexNibbles));
}

TEST(ConvertComponent, MeasureWritesNoFile) {
  TempDir dir;
  writeFile(dir / "entry_add.dat", "00000000\n0000001a\n");
  std::optional<ComponentResult> r = measureComponent(dir / "entry_add.dat", kHexNibbles);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->lines, 2u);
  EXPECT_EQ(r->size, 8u);
  EXPECT_FALSE(fs::exists(dir / "entry_add.dat_"));
}

// Kind 0 as a line-by-line reading of its contract, to hold the converter
// (which reads the whole text in one pass) against.
ComponentResult hexNibblesByLines(const std::string& text, bool tabLinesOnly, std::string& out) {
  ComponentResult r;
  std::istringstream in(text);
  std::string line;
  int pending = -1;
  bool first = true, common = true;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ':') continue;
    if (!tabLinesOnly || line.find('\t') != std::string::npos) ++r.lines;
    std::string rest;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == '0' && i + 1 < line.size() && line[i + 1] == 'x') ++i;
      else if (line[i] != '\t') rest += line[i];
    }
    if (first) r.recordWidth = rest.size();
    common = common && rest.size() == r.recordWidth;
    first = false;
    for (char c : rest.substr(0, rest.find(':'))) {
      const int v = std::isxdigit(static_cast<unsigned char>(c)) ? std::stoi(std::string(1, c), nullptr, 16) : -1;
      if (v < 0) continue;
      if (pending < 0) pending = v;
      else out += static_cast<char>(pending << 4 | v), pending = -1;
    }
  }
  if (pending >= 0) out += static_cast<char>(pending << 4 | 0xF);
  if (!common) r.recordWidth = 0;
  r.size = out.size();
  return r;
}

TEST(ConvertComponent, HexNibblesFollowTheLineByLineReading) {
  std::vector<std::string> inputs = test::randomInputs(400, 300, 23);
  // Long texts, so that the output buffer is flushed on the way.
  std::string big;
  for (int i = 0; i < 40000; ++i) big += "0x1F\t" + std::to_string(i) + " ab:cd\r\n:9\n\n";
  inputs.push_back(big);
  inputs.push_back(big.substr(0, big.size() - 3));  // no line end at the end
  for (const std::string& text : inputs) {
    for (bool tabLinesOnly : {false, true}) {
      std::string expected;
      const ComponentResult want = hexNibblesByLines(text, tabLinesOnly, expected);
      std::istringstream in(text);
      std::ostringstream out;
      const ComponentResult got = convertComponent(in, out, kHexNibbles, tabLinesOnly);
      ASSERT_EQ(out.str(), expected) << text;
      EXPECT_EQ(got.size, want.size);
      EXPECT_EQ(got.lines, want.lines) << text;
      EXPECT_EQ(got.recordWidth, want.recordWidth) << text;
    }
  }
}

TEST(ConvertComponent, RandomInputNeverFaults) {
  for (const std::string& text : test::randomInputs(300, 400, 11)) {
    for (int kind : {kHexNibbles, kHexTriplets}) {
      std::istringstream in(text);
      std::ostringstream out;
      ComponentResult r = convertComponent(in, out, kind);
      EXPECT_EQ(r.size, out.str().size());
      if (kind == kHexTriplets) {
        EXPECT_EQ(r.size, 3 * r.lines);
      }
    }
  }
}

}  // namespace
}  // namespace dm
