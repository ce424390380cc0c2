#include "conversion/menu_data_pass.h"

#include <gtest/gtest.h>

#include <sstream>

#include "conversion/notation.h"

namespace dm {
namespace {

struct MenuData {
  std::vector<std::string> clean, menu;
  MenuDataResult result;
};

MenuData run(const std::vector<std::string>& lines) {
  std::istringstream in(test::wideFile(lines));
  std::ostringstream clean, menu;
  MenuData d;
  d.result = menuDataPass(in, clean, menu);
  d.clean = test::wideLines(clean.str());
  d.menu = test::wideLines(menu.str());
  return d;
}

// One entry of the .tm2 stage with the given question lines.
std::vector<std::string> entry(const std::string& c1, const std::vector<std::string>& question) {
  std::vector<std::string> e = {"START_BLOCK_Word\t", "CTG1\t" + c1, "CTG2\t(分類なし)", "CTG3\tC", "HW\t問題：1",
                                "GEN_t\t"};
  e.insert(e.end(), question.begin(), question.end());
  for (const char* l : {"DF_l\t", "START_BLOCK_GEN_EXT\t", "END_BLOCK_GEN_EXT\t", "END_BLOCK_Word\t", ""}) {
    e.push_back(l);
  }
  return e;
}

TEST(MenuDataPass, Labels) {
  struct Case {
    std::vector<std::string> question;
    std::string label;
  };
  const Case cases[] = {
      {{"DF_q\t<B>Text</B>"}, "<B>Text</B>"},
      {{"DF_q\t[V]00000000[F:f9dd][/V]"}, "(音)"},
      {{"DF_q\t[V]00000000[F:f9dd][/V]", "DF_q_c0\tafter the sound"}, "after the sound"},
      {{"DF_q\t[V]00000000[F:f9dd][/V]a"}, "a"},
      {{"BMP\t[P]0015[/P]", "DF_q_c0\tText after picture"}, "Text after picture"},
      {{"BMP\t[P]0015[/P]"}, "(画)"},
      {{"BMP\t[P]0015[/P]", "DF_q_c0\t[V]00000000[F:f9dd][/V]"}, "(画)"},
      {{"DF_q_c0\t[V]00000000[F:f9dd][/V]", "BMP\t[P]0015[/P]"}, "(音)"},
      {{"DF_q\t", "DF_q_c0\tsecond line"}, "second line"},
      {{"DF_q\t"}, ""},
  };
  for (const Case& c : cases) {
    MenuData d = run(entry("A", c.question));
    EXPECT_EQ(d.menu, (std::vector<std::string>{"<mark>", "A\t(分類なし)\tC\t" + c.label + "\t00000000"}))
        << c.question[0];
    // The question lines stay in the entry; the categories go.
    std::vector<std::string> expected = {"<mark>", "START_BLOCK_Word\t", "HW\t問題：1", "GEN_t\t"};
    for (const std::string& q : c.question) expected.push_back(test::show(test::codes(q)));
    for (const char* l : {"DF_l\t", "START_BLOCK_GEN_EXT\t", "END_BLOCK_GEN_EXT\t", "END_BLOCK_Word\t", ""}) {
      expected.push_back(l);
    }
    EXPECT_EQ(d.clean, expected) << c.question[0];
  }
}

TEST(MenuDataPass, EntryNumbersAndLegend) {
  std::vector<std::string> lines = entry("A", {"DF_q\tq0"});
  std::vector<std::string> second = entry("B", {"DF_q\tq1"});
  lines.insert(lines.end(), second.begin(), second.end());
  for (const char* l : {"START_BLOCK_Word\t", "SPEC\t凡例", "DF_m\tHow to use", "END_BLOCK_Word\t", ""}) {
    lines.push_back(l);
  }
  MenuData d = run(lines);
  EXPECT_EQ(d.menu, (std::vector<std::string>{"<mark>", "A\t(分類なし)\tC\tq0\t00000000",
                                              "B\t(分類なし)\tC\tq1\t00000001"}));
  EXPECT_EQ(d.result.menuLines, 2u);
  ASSERT_TRUE(d.result.legendEntry.has_value());
  EXPECT_EQ(*d.result.legendEntry, 2u);
  std::vector<std::string> tail(d.clean.end() - 4, d.clean.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"START_BLOCK_Word\t", "DF_m\tHow to use", "END_BLOCK_Word\t", ""}));
}

TEST(MenuDataPass, TruncatedEntry) {
  MenuData d = run({"START_BLOCK_Word\t", "CTG1\tA", "CTG2\tB", "CTG3\tC", "GEN_t\t", "BMP\t[P]0014[/P]"});
  EXPECT_EQ(d.menu, (std::vector<std::string>{"<mark>", "A\tB\tC\t(画)\t00000000"}));
  EXPECT_FALSE(d.result.legendEntry.has_value());
}

}  // namespace
}  // namespace dm
