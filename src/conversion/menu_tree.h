// The menu tree: sorts the menu source lines into category groups, builds
// the tree of categories, test units, questions and clear items, collapses
// levels without names, and writes the menu files (menu.idx, the menu text
// list menu.lst and the readable listing Drill_menu.inf).
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

struct ConversionContext;

inline constexpr std::u16string_view kClearRecordsText = u"テスト記録の全消去";

// Item types of menu.idx.
inline constexpr int kMenuEntry = 0;
inline constexpr int kMenuCategory = 1;
inline constexpr int kMenuTestUnit = 3;
inline constexpr int kMenuClearItem = 5;

inline constexpr int kMenuRemoved = -1;  // level of a removed node

struct MenuNode {
  std::uint32_t sequence = 0;   // creation order
  int type = kMenuEntry;
  int level = 0;                // 1-3 categories, 4 entries, -1 removed
  std::u16string text;
  std::int64_t number = -1;     // entry number, or a category's child count
  std::int64_t firstChild = -1; // position of a category's first child
};

struct MenuTree {
  std::vector<MenuNode> nodes;  // in creation order
  bool flat = false;            // every level-2 and level-3 category was nameless
  int deepestLevel = 0;         // deepest kept level (0 for an empty tree)
};

// Drill_menu.dat -> Drill_menu_1.dat: lines ordered by the first appearance
// of their categories (nameless ones last), entries in order.
void sortMenuSource(std::istream& in, std::ostream& out);

// Builds, collapses and counts the tree of the sorted menu source.
MenuTree buildMenuTree(std::istream& sorted);

// Writes menu.idx (narrow), menu_pre_1.lst and Drill_menu.inf.
void writeMenuFiles(const MenuTree& tree, std::optional<std::uint32_t> legendEntry,
                    std::ostream& index, std::ostream& textList, std::ostream& report);

// One menu text line: cut to 405 characters, styles closed per line, bold
// removed, empty style pairs merged away.
std::u16string menuTextLine(std::u16string_view line);
// menu_pre_2.lst -> menu.lst.
void menuLinePass(std::istream& in, std::ostream& out);

// The whole menu generation from Trash/Drill_menu.dat; sets the
// conversion's menuDepth. Returns the tree.
MenuTree generateMenu(const ConversionContext& context, std::optional<std::uint32_t> legendEntry);

}  // namespace dm
