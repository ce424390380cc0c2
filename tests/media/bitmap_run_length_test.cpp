#include "media/bitmap_run_length.h"

#include <gtest/gtest.h>

#include <sstream>

#include "media/bitmap_classify.h"
#include "media/bitmap_tables.h"

namespace dm::bitmap {
namespace {

std::string units(const char* unit, int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += unit;
  return s;
}

// Alternating units: never three equal in a row.
std::string literal(int count) {
  std::string s;
  for (int i = 0; i < count; ++i) s += i % 2 ? "02" : "01";
  return s;
}

TEST(RunLengthCode, Table) {
  struct Case {
    const char* name;
    std::string in;
    std::string out;
  } cases[] = {
      {"empty", "", ""},
      {"one unit", "AB", "01AB"},
      {"two units", "0102", "020102"},
      {"run of three", "AAAAAA", "83AA"},
      {"literal then run", "0102030303", "0201028303"},
      {"run then short tail", "030303" "0102", "8303020102"},
      {"run of 127", units("00", 127), "FF00"},
      {"run of 128", units("00", 128), "80008000"},
      {"run of 300", units("07", 300), "8007" "2C01"},
      {"literal of 127", literal(127), "7F" + literal(127)},
      {"literal of 128", literal(128), "008000" + literal(128)},
  };
  for (const Case& c : cases) EXPECT_EQ(runLengthCode(c.in), c.out) << c.name;
}

TEST(RunLengthCode, LongRunsAreSplit) {
  // 65,532 units at most per run.
  const std::string code = runLengthCode(units("00", 65540));
  EXPECT_EQ(code, "8000FCFF" "88" "00");
}

TEST(RunLengthTables, OnePicture) {
  std::istringstream cln(
      "TT\t00040002\t::0004\nTT\t::00000000\nTT\t1111\nTT\t1111\n"
      "TT\t00020001\t::0004\nTT\t::00000000\nTT\t12\n");
  std::ostringstream h, dic, add, inf;
  EXPECT_EQ(writeRunLengthTables(cln, {&h, nullptr, &dic, &add, &inf}), 2u);
  EXPECT_EQ(dic.str(), "8411\n\n" "0112\n\n");
  EXPECT_EQ(add.str(), "0000000\t4\n0000002\t4\n0000004\t4\n");
  EXPECT_EQ(inf.str(), "6\t002\t0004\t00000000\n6\t001\t0002\t00000001\n");
  EXPECT_EQ(h.str(), "");
}

TEST(RawTables, RowsOffsetsAndKinds) {
  std::ostringstream hex, add, inf;
  const TableStreams out{nullptr, nullptr, &hex, &add, &inf};
  RawTableState state;
  std::istringstream a("00030002\t::0004\r\n::00112233\r\n1230\r\n4560\r\n");
  writeRawTables(a, out, state);
  std::istringstream b("000A0001\t::0001\r\nFFC0\r\n");
  writeRawTables(b, out, state);
  EXPECT_EQ(hex.str(), "1230\n4560\n\nFFC0\n\n");
  EXPECT_EQ(add.str(), "0000000\t4\n0000008\t1\n");
  EXPECT_EQ(inf.str(), "4\t002\t0003\t00000000\n2\t001\t000A\t00000001\n");
  EXPECT_EQ(state.offset, 12u);
}

TEST(RawTables, OffsetBeyondSevenDigitsTakesTheDefaultLine) {
  std::ostringstream hex, add, inf;
  RawTableState state;
  state.offset = 0x10000000;
  std::istringstream a("00020001\t::0004\n::00\n12\n");
  writeRawTables(a, {nullptr, nullptr, &hex, &add, &inf}, state);
  EXPECT_EQ(inf.str(), "9\t033\t003A\t00000000\n");
  EXPECT_EQ(hex.str(), "");
  EXPECT_EQ(add.str(), "");
}

TEST(RunLengthEstimate, CostsAndRatio) {
  struct Case {
    const char* name;
    std::string digits;
    std::uint64_t units, cost;
  } cases[] = {
      {"empty", "", 0, 0},
      {"two units", "0102", 2, 3},
      {"run of three", "AAAAAA", 3, 2},
      {"run of 128", units("00", 128), 128, 4},
      {"literal of 6", "010203040506", 6, 7},
      {"literal of 126", literal(126), 126, 127},
      {"literal of 127", literal(127), 127, 130},
      {"literal then run", "0102030303", 5, 5},
  };
  for (const Case& c : cases) {
    const RunLengthEstimate e = estimateRunLength(c.digits);
    EXPECT_EQ(e.units, c.units) << c.name;
    EXPECT_EQ(e.cost, c.cost) << c.name;
    if (c.units) {
      EXPECT_DOUBLE_EQ(e.ratio, double(c.cost) / double(c.units)) << c.name;
    }
  }
}

TEST(GreyClassifier, PreferredClassByRatio) {
  struct Case {
    double ratio;
    std::uint64_t cost;
    int expected;
  } cases[] = {
      {0.96, 100, 4},    // above 0.95: raw
      {0.95, 100, 6},    // not above 0.95
      {0.5, 61441, 4},   // big and above 0.4: raw
      {0.5, 61440, 6},
      {0.41, 61441, 4},
      {0.4, 61441, 5},   // at most 0.4: symbol-coded
      {0.4, 100, 5},
      {0.1, 100, 5},
  };
  for (const Case& c : cases) {
    GreyClassifier classifier;
    EXPECT_EQ(classifier.classify({1000, c.cost, c.ratio}), c.expected) << c.ratio << " " << c.cost;
  }
}

TEST(GreyClassifier, FullBudgetsFallBack) {
  GreyClassifier g;
  // Raw preferred but the raw budget is full: class 5 while it has room.
  EXPECT_EQ(g.classify({0x8000001, 10, 0.99}), 5);
  EXPECT_EQ(g.rawBudget(), 0x8000001u) << "the preferred budget keeps the increase";
  EXPECT_EQ(g.class5Budget(), 10u);
  // Class 5 preferred but full: class 6 while it has room.
  EXPECT_EQ(g.classify({100, 0x8000000, 0.3}), 6);
  EXPECT_EQ(g.class6Budget(), 0x8000000u);
  // Class 6 preferred and it still has room.
  EXPECT_EQ(g.classify({100, 0x8000000, 0.6}), 6);
  // Raw and class 5 full: a raw-preferred picture goes to class 6.
  EXPECT_EQ(g.classify({100, 5, 0.99}), 6);
}

TEST(GreyClassifier, ClassSixFullFallsBackToFiveThenRaw) {
  // Medium pictures (ratio 0.6, cost at most 61,440) prefer class 6.
  const RunLengthEstimate medium{102400, 61440, 0.6};
  GreyClassifier g;
  while (g.class6Budget() + medium.cost <= kClass6BudgetLimit) ASSERT_EQ(g.classify(medium), 6);
  EXPECT_EQ(g.classify(medium), 5) << "class 6 is full";
  while (g.class5Budget() + medium.cost <= kClass5BudgetLimit) ASSERT_EQ(g.classify(medium), 5);
  EXPECT_EQ(g.classify(medium), 4) << "class 5 is full as well";
  EXPECT_EQ(g.rawBudget(), medium.units);
}

}  // namespace
}  // namespace dm::bitmap
