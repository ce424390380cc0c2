#include "conversion/jump_pass.h"

#include <gtest/gtest.h>

#include <sstream>

#include "conversion/notation.h"

namespace dm {
namespace {

std::vector<std::string> run(const std::vector<std::string>& lines) {
  std::istringstream in(test::wideFile(lines));
  std::ostringstream out;
  jumpPass(in, out);
  return test::wideLines(out.str());
}

TEST(JumpPass, ResolvesAnswersToTheAnswerPageOfTheSameEntry) {
  std::vector<std::string> out = run({
      "START_BLOCK_Word\t",        // entry 0, line 0
      "HW\t問題：1",                // 1
      "GEN_t\t",                   // 2
      "DF_q\tQ",                   // 3
      "DF_l\t",                    // 4
      "START_BLOCK_GEN_EXT\t",     // 5
      "LST\t0",                    // 6
      "JUMP\t[J][F:f821] a[/J]a",  // 7
      "JUMP\t[J][F:f820] b[/J]a",  // 8
      "END_BLOCK_GEN_EXT\t",       // 9
      "DF_l_1\t",                  // 10
      "START_BLOCK_Note\t",        // 11
      "ID\ta",                     // 12: recorded as 13 (0xd)
      "DF_h\t問題：1",
      "END_BLOCK_Note\t",
      "END_BLOCK_Word\t",
      "",
      "START_BLOCK_Word\t",  // entry 1
      "START_BLOCK_GEN_EXT\t",
      "LST\t2",
      "JUMP\t[J][F:f821] first",
      "JUMP_s00\tpiece[/J]2",   // a split choice still gets its address
      "JUMP_c0\tcontinued",     // continuation lines carry no answer number
      "JUMP\t[J][F:f822] x[/J]7",  // no ID 7 in this entry: dropped
      "JUMP\t[J][F:f823] y[/J]a",  // ID a belongs to entry 0: dropped
      "END_BLOCK_GEN_EXT\t",
      "START_BLOCK_Note\t",
      "ID\t2",  // line 10: recorded as 11 (0xb)
      "END_BLOCK_Note\t",
      "END_BLOCK_Word\t",
      "",
  });
  EXPECT_EQ(out, (std::vector<std::string>{
                     "<mark>",
                     "START_BLOCK_Word\t",
                     "HW\t問題：1",
                     "GEN_t\t",
                     "DF_q\tQ",
                     "DF_l\t",
                     "START_BLOCK_GEN_EXT\t",
                     "LST\t0",
                     "JUMP\t[J][F:f821] a[/J]00000000000d",
                     "JUMP\t[J][F:f820] b[/J]00000000000d",
                     "END_BLOCK_GEN_EXT\t",
                     "DF_l_1\t",
                     "START_BLOCK_Note\t",
                     "DF_h\t問題：1",
                     "END_BLOCK_Note\t",
                     "END_BLOCK_Word\t",
                     "",
                     "START_BLOCK_Word\t",
                     "START_BLOCK_GEN_EXT\t",
                     "LST\t2",
                     "JUMP\t[J][F:f821] first",
                     "JUMP_s00\tpiece[/J]00000001000b",
                     "JUMP_c0\tcontinued",
                     "END_BLOCK_GEN_EXT\t",
                     "START_BLOCK_Note\t",
                     "END_BLOCK_Note\t",
                     "END_BLOCK_Word\t",
                     "",
                 }));
}

TEST(JumpPass, MalformedNumbers) {
  std::vector<std::string> out = run({"START_BLOCK_Word\t", "ID\t", "JUMP\t[J]x[/J]", "JUMP\t[J]x[/J]zz",
                                      "JUMP\t[J]x[/J]ffffffffffffffffffffff", "END_BLOCK_Word\t"});
  // An empty ID reads as 0; so do the answers without digits.
  EXPECT_EQ(out, (std::vector<std::string>{"<mark>", "START_BLOCK_Word\t", "JUMP\t[J]x[/J]000000000002",
                                            "JUMP\t[J]x[/J]000000000002", "END_BLOCK_Word\t"}));
}

TEST(JumpPass, EmptyInput) {
  std::istringstream in("");
  std::ostringstream out;
  jumpPass(in, out);
  EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace dm
