#include "conversion/split_pass.h"

#include <gtest/gtest.h>

#include <sstream>

#include "conversion/notation.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"
#include "textio/wide_line.h"

namespace dm {
namespace {

using test::codes;
using test::show;

std::string rep(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct Split {
  std::vector<std::string> lines;
  std::string trace;
};

Split split(const std::string& line, long number = 1) {
  std::u16string out;
  std::ostringstream trace;
  splitLine(codes(line) + u"\r\n", number, out, trace);
  std::vector<std::string> lines = test::wideLines("\xFF\xFE" + [&] {
    std::string b;
    for (char16_t c : out) {
      b.push_back(static_cast<char>(c & 0xFF));
      b.push_back(static_cast<char>(c >> 8));
    }
    return b;
  }());
  lines.erase(lines.begin());
  return {lines, trace.str()};
}

TEST(SplitPass, LinesUpTo500AreKept) {
  for (const std::string& line : {"DF_q\t" + rep("x", 495), std::string("DF_q\tshort"), std::string(""),
                                  "START_BLOCK_Word\t" + rep("x", 600), "END_BLOCK_Word\t" + rep("x", 600),
                                  "ID\t" + rep("1", 600)}) {
    Split s = split(line);
    EXPECT_EQ(s.lines, std::vector<std::string>{show(codes(line))});
    EXPECT_TRUE(s.trace.empty());
  }
}

TEST(SplitPass, Cuts) {
  struct Case {
    std::string name;
    std::string line;
    std::vector<std::string> out;
  };
  const Case cases[] = {
      {"501 characters with the tag",
       "DF_q\t" + rep("a", 240) + "。" + rep("b", 255),
       {"DF_q\t" + rep("a", 240) + "。", "DF_q_s00\t" + rep("b", 255)}},
      {"1,200 characters into three pieces of 400",
       "DF_c\t" + rep(rep("x", 49) + "。", 24),
       {"DF_c\t" + rep(rep("x", 49) + "。", 8), "DF_c_s00\t" + rep(rep("x", 49) + "。", 8),
        "DF_c_s00\t" + rep(rep("x", 49) + "。", 8)}},
      {"<L> span across the cut",
       "DF_q\t[L]" + rep("x", 300) + "。" + rep("y", 300) + "[/L]",
       {"DF_q\t[L]" + rep("x", 300) + "。[/L]", "DF_q_s00\t[L]" + rep("y", 300) + "[/L]"}},
      {"punctuation and ideographic spaces stay with the piece",
       "DF_q\t" + rep("a", 240) + "。」　" + rep("b", 255),
       {"DF_q\t" + rep("a", 240) + "。」　", "DF_q_s00\t" + rep("b", 255)}},
      {"spaces in the second attempt",
       "DF_q\t" + rep("word ", 120),
       {"DF_q\t" + rep("word ", 60), "DF_q_s00\t" + rep("word ", 60)}},
      {"fallback before a sound code",
       "DF_q\t" + rep("x", 495) + "[V]00000001[F:f9dd][/V]" + rep("y", 100),
       {"DF_q\t" + rep("x", 495), "DF_q_s00\t[V]00000001[F:f9dd][/V]" + rep("y", 100)}},
      {"fallback before a jump label",
       "JUMP\t" + rep("x", 450) + "[J]" + rep("y", 100) + "[/J]" + rep("z", 50),
       {"JUMP\t" + rep("x", 450), "JUMP_s00\t[J]" + rep("y", 100) + "[/J]" + rep("z", 50)}},
      {"fallback before a font escape",
       "DF_q\t" + rep("x", 497) + "[F:f821]" + rep("y", 10),
       {"DF_q\t" + rep("x", 497), "DF_q_s00\t[F:f821]" + rep("y", 10)}},
      {"fallback keeps pieces below 499",
       "DF_q\t" + rep("x", 1000),
       {"DF_q\t" + rep("x", 498), "DF_q_s00\t" + rep("x", 498), "DF_q_s00\t" + rep("x", 4)}},
  };
  for (const Case& c : cases) {
    Split s = split(c.line);
    std::vector<std::string> expected;
    for (const std::string& l : c.out) expected.push_back(show(codes(l)));
    EXPECT_EQ(s.lines, expected) << c.name;
    EXPECT_TRUE(s.trace.empty()) << c.name;
  }
}

TEST(SplitPass, CutRules) {
  // The only break near the target is the one under test; the fallback
  // candidate is the 。 at index 1 (cut 2).
  struct Case {
    std::string around;  // characters at 239.. of a 600-character value
    std::size_t cut;
  };
  const Case cases[] = {
      {"x。x", 241},  {"x，x", 2},  {"3．1", 2},  {"x．x", 241}, {"3.1", 241}, {"x.x", 241},
      {"a）b", 2},    {"1）1", 241}, {"a)b", 241}, {"1：2", 2},   {"1:2", 241}, {"a：b", 241},
      {"1：b", 241}, {"x。・", 242}, {"x!'", 2},    {"x?’", 2},   {"x。。　x", 243},
  };
  for (const Case& c : cases) {
    std::u16string value = codes("a。" + rep("x", 237) + c.around);
    value.append(600 - value.size(), u'x');
    EXPECT_EQ(findSplitCut(value, 4), c.cut) << c.around;
  }
}

TEST(SplitPass, NumbersAndWordsKeptTogetherOnlyByFullWidthMarks) {
  // The ASCII . ) : are plain break characters: a cut may follow them
  // whatever stands beside them. Their full-width forms are not cut between
  // digits or Latin letters, so those lines fall back to a cut before 499.
  struct Case {
    std::string head;
    std::vector<std::string> out;
  };
  const std::string tail = rep("あ", 600);
  const Case cases[] = {
      {"x)y", {"DF_q\tx)", "DF_q_s00\ty" + rep("あ", 497), "DF_q_s00\t" + rep("あ", 103)}},
      {"1:5", {"DF_q\t1:", "DF_q_s00\t5" + rep("あ", 497), "DF_q_s00\t" + rep("あ", 103)}},
      {"3.14", {"DF_q\t3.", "DF_q_s00\t14" + rep("あ", 496), "DF_q_s00\t" + rep("あ", 104)}},
      {"x）y", {"DF_q\tx）y" + rep("あ", 495), "DF_q_s00\t" + rep("あ", 105)}},
      {"1：5", {"DF_q\t1：5" + rep("あ", 495), "DF_q_s00\t" + rep("あ", 105)}},
      {"3．14", {"DF_q\t3．14" + rep("あ", 494), "DF_q_s00\t" + rep("あ", 106)}},
  };
  for (const Case& c : cases) {
    Split s = split("DF_q\t" + c.head + tail);
    EXPECT_EQ(s.lines, c.out) << c.head;
    EXPECT_TRUE(s.trace.empty()) << c.head;
  }
}

TEST(SplitPass, ForwardSearchWhenNothingBehindTheTarget) {
  std::u16string value = codes(rep("x", 350) + "。" + rep("y", 249));
  EXPECT_EQ(findSplitCut(value, 4), 351u);
}

TEST(SplitPass, CannotSplitIsReportedAndWrittenUnchanged) {
  // One atomic run longer than a piece can hold.
  const std::string line = "DF_q\t[V]" + rep("x", 600) + "[/V]";
  Split s = split(line, 42);
  EXPECT_EQ(s.lines, std::vector<std::string>{show(codes(line))});
  EXPECT_EQ(s.trace, "Error: Can't split the line ---\n42  " + utf16ToUtf8(codes(line)) + "\n");
}

TEST(SplitPass, LaterPieceThatCannotBeCutKeepsItsSuffix) {
  // First cut by the fallback, then an atomic run of 500 is left over.
  const std::string line = "DF_q\t" + rep("x", 10) + "[V]" + rep("y", 600) + "[/V]";
  Split s = split(line);
  ASSERT_EQ(s.lines.size(), 2u);
  EXPECT_EQ(s.lines[0], "DF_q\t" + rep("x", 10));
  EXPECT_EQ(s.lines[1], show(codes("DF_q_s00\t[V]" + rep("y", 600) + "[/V]")));
  EXPECT_NE(s.trace.find("Can't split"), std::string::npos);
}

TEST(SplitPass, LongTagLeavesNoRoom) {
  const std::string line = rep("T", 400) + "\t" + rep("x", 150) + " " + rep("y", 49);
  Split s = split(line);
  EXPECT_EQ(s.lines, std::vector<std::string>{line});
  EXPECT_NE(s.trace.find("Can't split"), std::string::npos);
}

TEST(SplitPass, NeverLoopsOnKeepTogetherCodes) {
  // Pieces that are only keep-together codes cannot shorten the rest.
  const std::string values[] = {rep("[L]", 700), rep("[L]。", 400), rep("[/L]", 700), rep("。", 1000),
                                rep(" ", 900), rep("[J]", 600)};
  for (const std::string& v : values) {
    Split s = split("DF_q\t" + v);
    EXPECT_FALSE(s.lines.empty());
  }
}

TEST(SplitPass, StreamCountsLines) {
  std::istringstream in(test::wideFile({"START_BLOCK_Word\t", "DF_q\t[V]" + rep("x", 600) + "[/V]", ""}));
  std::ostringstream out, trace;
  splitPass(in, out, trace);
  EXPECT_EQ(trace.str().rfind("Error: Can't split the line ---\n2  DF_q", 0), 0u);
  EXPECT_EQ(test::wideLines(out.str()).size(), 4u);
}

TEST(SplitPass, FilesTellTheSinkWhatCannotBeSplitAndWriteNothingToStandardOutput) {
  test::TempDir dir;
  test::writeFile(dir / "in", test::wideFile({"START_BLOCK_Word\t", "DF_q\t[V]" + rep("x", 600) + "[/V]", ""}));
  test::RecordingSink sink;
  testing::internal::CaptureStdout();
  splitPass(dir / "in", dir / "out", sink);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_EQ(sink.lines.size(), 2u);
  EXPECT_EQ(sink.lines[0], "Error: Can't split the line ---");
  EXPECT_EQ(sink.lines[1].rfind("2  DF_q", 0), 0u);
  EXPECT_EQ(test::wideLines(test::readFile(dir / "out")).size(), 4u);
}

}  // namespace
}  // namespace dm
