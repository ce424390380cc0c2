#include "conversion/menu_tree.h"

#include <gtest/gtest.h>

#include <sstream>

#include "conversion/notation.h"

namespace dm {
namespace {

struct MenuFiles {
  MenuTree tree;
  std::string index;
  std::vector<std::string> texts, report;
};

// Builds the tree from sorted menu source lines and writes the menu files.
MenuFiles build(const std::vector<std::string>& sortedLines, std::optional<std::uint32_t> legend) {
  std::istringstream in(test::wideFile(sortedLines));
  MenuFiles f;
  f.tree = buildMenuTree(in);
  std::ostringstream index, texts, report;
  writeMenuFiles(f.tree, legend, index, texts, report);
  f.index = index.str();
  f.texts = test::wideLines(texts.str());
  f.report = test::wideLines(report.str());
  return f;
}

std::string crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

TEST(MenuSort, CategoriesKeepTheirFirstAppearanceNamelessLast) {
  std::istringstream in(test::wideFile({
      "B\tb\tx\tq0\t00000000",
      "A\t(分類なし)\t(分類なし)\tq1\t00000001",
      "(分類なし)\tn\tn\tq2\t00000002",
      "B\tb\tx\tq3\t00000003",
      "A\ta\tx\tq4\t00000004",
      "",
  }));
  std::ostringstream out;
  sortMenuSource(in, out);
  EXPECT_EQ(test::wideLines(out.str()), (std::vector<std::string>{
                                            "<mark>",
                                            "B\tb\tx\tq0\t00000000",
                                            "B\tb\tx\tq3\t00000003",
                                            "A\ta\tx\tq4\t00000004",
                                            "A\t(分類なし)\t(分類なし)\tq1\t00000001",
                                            "(分類なし)\tn\tn\tq2\t00000002",
                                        }));
}

TEST(MenuTree, FlatMenu) {
  MenuFiles f = build({"A\t(分類なし)\t(分類なし)\tq1\t00000000", "A\t(分類なし)\t(分類なし)\tq2\t00000001",
                       "B\t(分類なし)\t(分類なし)\tq3\t00000002"},
                      3u);
  EXPECT_TRUE(f.tree.flat);
  EXPECT_EQ(f.tree.deepestLevel, 2);
  EXPECT_EQ(f.index, crlf({
                         "LV01\t1\t00000004\t00000001",
                         "LV02\t3\t00000002\t00000005",
                         "LV02\t3\t00000001\t00000007",
                         "LV02\t0\t00000003\tFFFFFFFF",
                         "LV02\t5\tffffffff\tFFFFFFFF",
                         "LV03\t0\t00000000\tFFFFFFFF",
                         "LV03\t0\t00000001\tFFFFFFFF",
                         "LV03\t0\t00000002\tFFFFFFFF",
                     }));
  EXPECT_EQ(f.texts, (std::vector<std::string>{"<mark>", "LV01\t", "LV02\tA", "LV02\tB", "LV02\t凡例",
                                               "LV02\tテスト記録の全消去", "LV03\tq1", "LV03\tq2", "LV03\tq3"}));
  EXPECT_EQ(f.report, (std::vector<std::string>{
                          "<mark>",
                          "LV02\t3\t00000002\t00000003\tA",
                          "LV00\t1\t00000000\tFFFFFFFF\t(分類なし)",
                          "LV00\t3\t00000000\tFFFFFFFF\t(分類なし)",
                          "LV03\t0\t00000000\tFFFFFFFF\tq1",
                          "LV03\t0\t00000001\tFFFFFFFF\tq2",
                          "LV00\t5\tffffffff\tFFFFFFFF\tテスト記録の全消去",
                          "LV02\t3\t00000001\t00000005\tB",
                          "LV00\t1\t00000000\tFFFFFFFF\t(分類なし)",
                          "LV00\t3\t00000000\tFFFFFFFF\t(分類なし)",
                          "LV03\t0\t00000002\tFFFFFFFF\tq3",
                          "LV00\t5\tffffffff\tFFFFFFFF\tテスト記録の全消去",
                          "LV02\t5\tffffffff\tFFFFFFFF\tテスト記録の全消去",
                      }));
}

TEST(MenuTree, ThreeLevelMenuWithACollapsedGroup) {
  MenuFiles f = build({"X\tY1\tZ1\tq0\t00000000", "X\tY1\tZ2\tq1\t00000001", "X\tY2\tZ3\tq2\t00000002",
                       "W\t(分類なし)\t(分類なし)\tq3\t00000003"},
                      std::nullopt);
  EXPECT_FALSE(f.tree.flat);
  EXPECT_EQ(f.tree.deepestLevel, 4);
  EXPECT_EQ(f.index, crlf({
                         "LV01\t1\t00000002\t00000001",
                         "LV02\t1\t00000002\t00000003",  // X: Y1, Y2
                         "LV02\t1\t00000002\t00000005",  // W: its test unit and its clear item
                         "LV03\t1\t00000003\t00000007",  // Y1: Z1, Z2, clear
                         "LV03\t1\t00000002\t0000000a",  // Y2: Z3, clear
                         "LV03\t3\t00000001\t0000000c",  // W/(分類なし) became a test unit
                         "LV03\t5\tffffffff\tFFFFFFFF",  // the group's last clear item, moved up
                         "LV04\t3\t00000001\t0000000d",
                         "LV04\t3\t00000001\t0000000e",
                         "LV04\t5\tffffffff\tFFFFFFFF",
                         "LV04\t3\t00000001\t0000000f",
                         "LV04\t5\tffffffff\tFFFFFFFF",
                         "LV04\t0\t00000003\tFFFFFFFF",  // q3 moved up one level
                         "LV05\t0\t00000000\tFFFFFFFF",
                         "LV05\t0\t00000001\tFFFFFFFF",
                         "LV05\t0\t00000002\tFFFFFFFF",
                     }));
  EXPECT_EQ(f.texts,
            (std::vector<std::string>{"<mark>", "LV01\t", "LV02\tX", "LV02\tW", "LV03\tY1", "LV03\tY2",
                                      "LV03\t(分類なし)", "LV03\tテスト記録の全消去", "LV04\tZ1", "LV04\tZ2",
                                      "LV04\tテスト記録の全消去", "LV04\tZ3", "LV04\tテスト記録の全消去",
                                      "LV04\tq3", "LV05\tq0", "LV05\tq1", "LV05\tq2"}));
}

TEST(MenuTree, CollapsedGroupKeepsOnlyItsLastClearItem) {
  MenuFiles f = build({"X\tA\t(分類なし)\tq0\t00000000", "X\tB\t(分類なし)\tq1\t00000001",
                       "V\tC\tnamed\tq2\t00000002"},
                      std::nullopt);
  EXPECT_FALSE(f.tree.flat);
  EXPECT_EQ(f.index, crlf({
                         "LV01\t1\t00000002\t00000001",
                         "LV02\t1\t00000003\t00000003",  // X: A, B, clear
                         "LV02\t1\t00000001\t00000006",  // V: C
                         "LV03\t3\t00000001\t00000007",
                         "LV03\t3\t00000001\t00000008",
                         "LV03\t5\tffffffff\tFFFFFFFF",
                         "LV03\t1\t00000002\t00000009",  // C: named, clear
                         "LV04\t0\t00000000\tFFFFFFFF",
                         "LV04\t0\t00000001\tFFFFFFFF",
                         "LV04\t3\t00000001\t0000000b",
                         "LV04\t5\tffffffff\tFFFFFFFF",
                         "LV05\t0\t00000002\tFFFFFFFF",
                     }));
}

TEST(MenuTree, EntryNamedLikeANamelessCategoryStays) {
  MenuFiles f = build({"A\t(分類なし)\t(分類なし)\t(分類なし)\t00000000"}, std::nullopt);
  EXPECT_EQ(f.texts, (std::vector<std::string>{"<mark>", "LV01\t", "LV02\tA", "LV02\tテスト記録の全消去",
                                               "LV03\t(分類なし)"}));
}

TEST(MenuTree, EmptySource) {
  MenuFiles f = build({}, std::nullopt);
  EXPECT_TRUE(f.tree.nodes.empty());
  EXPECT_EQ(f.tree.deepestLevel, 0);
  EXPECT_EQ(f.index, "LV01\t1\t00000000\t00000001\r\n");
}

TEST(MenuTextLine, CutsAndCleansStyles) {
  struct Case {
    std::string in, out;
  };
  std::string long500 = "LV02\t" + std::string(493, 'x');  // 500 with CR LF
  const Case cases[] = {
      {long500, "LV02\t" + std::string(400, 'x')},
      {"LV02\t" + std::string(400, 'x'), "LV02\t" + std::string(400, 'x')},  // 407 with CR LF: kept
      {"LV03\t[B]bold[/B] [I]it", "LV03\tbold [I]it[/I]"},
      {"LV03\t[U]a[S]b[/S]c[/U]", "LV03\t[U]a[/U][S]b[/S][U]c[/U]"},
      {"LV03\t[I][/I]x", "LV03\tx"},
      {"LV01\t", "LV01\t"},
  };
  for (const Case& c : cases) {
    std::u16string got = menuTextLine(test::codes(c.in) + u"\r\n");
    EXPECT_EQ(test::show(got), test::show(test::codes(c.out) + u"\r\n")) << c.in.substr(0, 20);
  }
}

}  // namespace
}  // namespace dm
