#include "conversion/entry_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/notation.h"

namespace dm {
namespace {

using test::codes;
using test::show;

// Fields joined by TAB, CR LF at the end.
std::u16string record(const std::vector<std::string>& fields) {
  std::string joined;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) joined += '\t';
    joined += fields[i];
  }
  return codes(joined) + u"\r\n";
}

std::vector<std::string> lines(const std::u16string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) {
      if (start < text.size()) out.push_back(show(text.substr(start)) + "<no CR LF>");
      return out;
    }
    out.push_back(show(text.substr(start, end - start)));
    start = end + 2;
  }
}

std::vector<std::string> entry(const std::vector<std::string>& fields) {
  std::u16string out;
  writeRecord(record(fields), out);
  return lines(out);
}

TEST(RecordWriter, WritesTheWholeEntry) {
  EXPECT_EQ(entry({"Cat1", "Cat2", "Cat3", "12", "What?", "2", "Because.", "1:30", "x", "y", "z"}),
            (std::vector<std::string>{
                "START_BLOCK_Word\t", "CTG1\tCat1", "CTG2\tCat2", "CTG3\tCat3", "HW\t問題：12",
                "GEN_t\t01:30", "DF_q\tWhat?", "DF_l\t", "START_BLOCK_GEN_EXT\t", "LST\t2",
                "JUMP\t[J][F:f821] x[/J]2", "JUMP\t[J][F:f822] y[/J]2", "JUMP\t[J][F:f823] z[/J]2",
                "END_BLOCK_GEN_EXT\t", "DF_l_1\t", "START_BLOCK_Note\t", "ID\t2", "DF_h\t問題：12",
                "DF_x\t正解：", "DF_a\t[F:f822] y", "DF_l\t", "DF_y\t解説：", "DF_c\tBecause.",
                "END_BLOCK_Note\t", "END_BLOCK_Word\t", ""}));
}

TEST(RecordWriter, RightAnswerTenIsZeroInLstAndAElsewhere) {
  std::vector<std::string> fields = {"a", "b", "c", "1", "Q", "10", "", ""};
  for (int k = 1; k <= 10; ++k) fields.push_back("c" + std::to_string(k));
  std::vector<std::string> out = entry(fields);
  EXPECT_EQ(out[9], "LST\t0");
  EXPECT_EQ(out[10], "JUMP\t[J][F:f821] c1[/J]a");
  EXPECT_EQ(out[19], "JUMP\t[J][F:f820] c10[/J]a");
  EXPECT_EQ(out[23], "ID\ta");
  EXPECT_EQ(out[26], "DF_a\t[F:f820] c10");
}

TEST(RecordWriter, ChoicesEndAtTheFirstEmptyOne) {
  std::vector<std::string> out = entry({"a", "b", "c", "1", "Q", "1", "", "", "c1", "c2", "c3", "c4", "", "c6"});
  std::vector<std::string> jumps;
  for (const std::string& l : out) {
    if (l.rfind("JUMP\t", 0) == 0) jumps.push_back(l);
  }
  EXPECT_EQ(jumps, (std::vector<std::string>{"JUMP\t[J][F:f821] c1[/J]1", "JUMP\t[J][F:f822] c2[/J]1",
                                              "JUMP\t[J][F:f823] c3[/J]1", "JUMP\t[J][F:f824] c4[/J]1"}));
}

TEST(RecordWriter, BlankChoiceEndsTheChoicesLikeTheChecker) {
  // Case 2 holds only blanks: the checker warned that the record ends there.
  std::vector<std::string> out = entry({"a", "b", "c", "1", "Q", "1", "", "", "c1", " <N>　", "c3"});
  int jumps = 0;
  for (const std::string& l : out) jumps += l.rfind("JUMP\t", 0) == 0;
  EXPECT_EQ(jumps, 1);
}

TEST(RecordWriter, NoCommentMeansNoCommentLines) {
  std::vector<std::string> out = entry({"a", "b", "c", "1", "Q", "1", "", "", "c1"});
  EXPECT_EQ(out, (std::vector<std::string>{
                     "START_BLOCK_Word\t", "CTG1\ta", "CTG2\tb", "CTG3\tc", "HW\t問題：1", "GEN_t\t",
                     "DF_q\tQ", "DF_l\t", "START_BLOCK_GEN_EXT\t", "LST\t1", "JUMP\t[J][F:f821] c1[/J]1",
                     "END_BLOCK_GEN_EXT\t", "DF_l_1\t", "START_BLOCK_Note\t", "ID\t1", "DF_h\t問題：1",
                     "DF_x\t正解：", "DF_a\t[F:f821] c1", "END_BLOCK_Note\t", "END_BLOCK_Word\t", ""}));
}

TEST(RecordWriter, BlankOrMissingCategoriesAreNameless) {
  std::vector<std::string> out = entry({" 　<N>", "", "<B>x</B>", "", "Q", "1", "", "", "c1"});
  EXPECT_EQ(out[1], "CTG1\t(分類なし)");
  EXPECT_EQ(out[2], "CTG2\t(分類なし)");
  EXPECT_EQ(out[3], "CTG3\t<B>x</B>");
  EXPECT_EQ(out[4], "HW\t問題：");
}

TEST(RecordWriter, FullWidthDigits) {
  std::vector<std::string> out = entry({"a", "b", "c", "１２", "Q", "２", "", "５:０５", "c1", "c2"});
  EXPECT_EQ(out[4], "HW\t問題：12");
  EXPECT_EQ(out[5], "GEN_t\t05:05");
  EXPECT_EQ(out[9], "LST\t2");
}

TEST(RecordWriter, TimeLimitForms) {
  struct Case {
    const char* cell;
    const char* expected;
  };
  const Case cases[] = {
      {"1:30", "01:30"}, {"01:05", "01:05"}, {" 1:5", "01:05"}, {"　59:59", "59:59"},
      {"01:05 ", "01:05"},  // trailing blanks, as the checker accepts them
      {"1:60", ""},  {"60:00", ""}, {"90", ""},    {"1:2:3", ""}, {"1:", ""},
      {":30", ""},   {"123:4", ""}, {"1：30", ""}, {"a1:30", ""}, {"", ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> out = entry({"a", "b", "c", "1", "Q", "1", "", c.cell, "c1"});
    EXPECT_EQ(out[5], std::string("GEN_t\t") + c.expected) << c.cell;
  }
}

TEST(RecordWriter, RightChoiceMissingGivesASpace) {
  // A damaged record (the checker never lets it through) must not crash.
  std::vector<std::string> out = entry({"a", "b", "c", "1", "Q", "3", "", "", "c1"});
  EXPECT_EQ(out[17], "DF_a\t[F:f823]  ");
}

TEST(RecordWriter, ToleratesDamagedRecords) {
  const char* damaged[] = {"", "\t\t\t", "a", "a\tb\tc\t1\tQ\tzz", "a\tb\tc\t1\tQ\t999999999999\t\t\tx"};
  for (const char* r : damaged) {
    std::u16string out;
    writeRecord(codes(r), out);
    EXPECT_NE(out.find(u"END_BLOCK_Word\t"), std::u16string::npos) << r;
  }
}

TEST(LegendWriter, WritesTheLegendOnlyWithField1) {
  std::u16string out;
  writeLegend(record({"x", "How to use<N>line 2", "", "ドリル"}), out);
  EXPECT_EQ(lines(out), (std::vector<std::string>{"START_BLOCK_Word\t", "SPEC\t凡例", "DF_m\tHow to use<N>line 2",
                                                   "END_BLOCK_Word\t", ""}));
  out.clear();
  writeLegend(record({"x", "", "", "ドリル"}), out);
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace dm
