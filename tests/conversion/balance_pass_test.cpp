#include "conversion/balance_pass.h"

#include <gtest/gtest.h>

#include <sstream>

#include "conversion/notation.h"

namespace dm {
namespace {

using test::codes;
using test::show;

// Balances the lines in one state, as through one file.
std::vector<std::string> balance(const std::vector<std::string>& lines) {
  BalanceState state;
  std::vector<std::string> out;
  for (const std::string& l : lines) {
    std::u16string r = balanceLine(codes(l) + u"\r\n", state);
    EXPECT_EQ(r.substr(r.size() - 2), u"\r\n");
    out.push_back(show(r.substr(0, r.size() - 2)));
  }
  return out;
}

TEST(BalancePass, Sequences) {
  struct Case {
    std::string name;
    std::vector<std::string> in, out;
  };
  const Case cases[] = {
      {"bold across a line break",
       {"DF_q\t[B]bold", "DF_q_c0\tmore[/B] end"},
       {"DF_q\t[B]bold[/B]", "DF_q_c0\t[B]more[/B] end"}},
      {"bold carried into another field; empty values untouched",
       {"DF_q\t[B]x", "DF_l\t", "", "DF_a\ty[/B]z"},
       {"DF_q\t[B]x[/B]", "DF_l\t", "", "DF_a\t[B]y[/B]z"}},
      {"BMP lines keep no style",
       {"DF_q\t[B]x", "BMP\t[P]0015[/P]", "DF_q_c0\ty[/B]"},
       {"DF_q\t[B]x[/B]", "BMP\t[P]0015[/P]", "DF_q_c0\t[B]y[/B]"}},
      {"only one style open at a time",
       {"DF_q\t[B]a[I]b[/I]c[/B]"},
       {"DF_q\t[B]a[/B][I]b[/I][B]c[/B]"}},
      {"nested styles across lines",
       {"DF_q\t[U]a[S]b", "DF_q_c0\tc[/S]d[/U]"},
       {"DF_q\t[U]a[/U][S]b[/S]", "DF_q_c0\t[S]c[/S][U]d[/U]"}},
      {"adjacent on-off and off-on pairs go",
       {"DF_q\tx[B][/B]y", "DF_q\t[B]a[/B][B]b[/B]", "DF_q\t[I][/I][U][/U][S][/S][GB][/GB][L][/L]z"},
       {"DF_q\txy", "DF_q\t[B]ab[/B]", "DF_q\tz"}},
      {"a style closed at the start of the next line leaves nothing",
       {"DF_q\tx[B]", "DF_q_c0\t[/B]y"},
       {"DF_q\tx", "DF_q_c0\ty"}},
      {"<L> and <GB> spans reopened",
       {"DF_q\t[L]a", "DF_q_c0\tb", "DF_q_c0\tc[/L]d", "DF_c\t[GB]x", "DF_c_c0\ty[/GB]"},
       {"DF_q\t[L]a[/L]", "DF_q_c0\t[L]b[/L]", "DF_q_c0\t[L]c[/L]d", "DF_c\t[GB]x[/GB]", "DF_c_c0\t[GB]y[/GB]"}},
      {"stray off codes", {"DF_q\t[/B]x[/L]"}, {"DF_q\t[/B]x[/L]"}},
      {"lines without a TAB", {"START_BLOCK_Word\t", "NOTAB [B]"}, {"START_BLOCK_Word\t", "NOTAB [B]"}},
  };
  for (const Case& c : cases) EXPECT_EQ(balance(c.in), c.out) << c.name;
}

TEST(BalancePass, MergeFollowsTheStyleOrder) {
  EXPECT_EQ(show(mergeStylePairs(codes("[B][I][/I][/B]"))), "[B][/B]");
  EXPECT_EQ(show(mergeStylePairs(codes("[I][B][/B][/I]"))), "");
}

TEST(BalancePass, StreamKeepsTheMark) {
  std::istringstream in(test::wideFile({"START_BLOCK_Word\t", "DF_q\t[B]x", "DF_q_c0\ty[/B]", ""}));
  std::ostringstream out;
  balancePass(in, out);
  EXPECT_EQ(test::wideLines(out.str()), (std::vector<std::string>{"<mark>", "START_BLOCK_Word\t", "DF_q\t[B]x[/B]",
                                                                  "DF_q_c0\t[B]y[/B]", ""}));
}

}  // namespace
}  // namespace dm
