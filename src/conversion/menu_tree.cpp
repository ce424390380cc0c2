#include "conversion/menu_tree.h"

#include <algorithm>
#include <array>
#include <map>
#include <tuple>

#include "conversion/balance_pass.h"
#include "conversion/block_text.h"
#include "conversion/conversion_context.h"
#include "conversion/tag_code_pass.h"
#include "textio/hex.h"
#include "textio/background_output.h"
#include "textio/pass_io.h"
#include "textio/unit_search.h"
#include "textio/wide_line.h"

namespace dm {

namespace bt = blocktext;

namespace {

constexpr int kMenuFields = 5;
constexpr int kEntryLevel = 4;
constexpr std::size_t kMenuLineKeep = 405;   // characters kept of a long menu text line
constexpr std::size_t kMenuLineLimit = 407;  // longest menu text line, CR LF included

using MenuFields = std::array<std::u16string, kMenuFields>;

MenuFields splitMenuLine(std::u16string_view line) {
  MenuFields f;
  std::u16string_view body = bt::withoutLineEnd(line);
  for (int i = 0; i < kMenuFields; ++i) {
    std::size_t tab = i + 1 < kMenuFields ? body.find(bt::kTab) : std::u16string_view::npos;
    f[i].assign(body.substr(0, tab));
    if (tab == std::u16string_view::npos) break;
    body.remove_prefix(tab + 1);
  }
  return f;
}

std::uint32_t readHex32(std::u16string_view text) {
  std::uint32_t v = 0;
  for (char16_t c : text) {
    const int d = hexDigitValue(c);
    if (d < 0) break;
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  return v;
}

bool isCategory(const MenuNode& n) { return n.type == kMenuCategory || n.type == kMenuTestUnit; }
bool isKept(const MenuNode& n) { return n.level >= 1; }

// "%08x" of a 32-bit value (negative numbers as their two's complement).
std::string hex8(std::int64_t v) { return hexText(static_cast<std::uint32_t>(v), 8); }

std::string levelTag(int level) { return "LV" + hexText(static_cast<unsigned>(level + 1) & 0xFFu, 2); }

std::u16string wideLevelTag(int level) { return utf8ToUtf16(levelTag(level)); }

void putTextLine(std::ostream& out, int level, std::u16string_view text) {
  std::u16string line = wideLevelTag(level);
  line.push_back(bt::kTab);
  line.append(text);
  line.append(bt::kLineEnd);
  writeWideLine(out, line);
}

void collapseFlat(MenuTree& tree) {
  for (MenuNode& n : tree.nodes) {
    if (n.type == kMenuClearItem) {
      n.level = kMenuRemoved;
    } else if (isCategory(n) && n.level >= 2) {
      n.level = kMenuRemoved;
    } else if (n.level >= 2) {
      n.level -= 2;
    } else if (n.level == 1) {
      n.type = kMenuTestUnit;
    }
  }
  MenuNode clear;
  clear.sequence = static_cast<std::uint32_t>(tree.nodes.size());
  clear.type = kMenuClearItem;
  clear.level = 1;
  clear.text.assign(kClearRecordsText);
  tree.nodes.push_back(std::move(clear));
}

// Level-1 groups whose level-3 categories are all nameless lose level 3.
void collapseGroups(MenuTree& tree) {
  std::vector<MenuNode>& nodes = tree.nodes;
  std::size_t start = 0;
  while (start < nodes.size()) {
    std::size_t end = start + 1;
    while (end < nodes.size() && !(isCategory(nodes[end]) && nodes[end].level == 1)) ++end;
    bool nameless = true;
    for (std::size_t i = start; i < end && nameless; ++i) {
      if (isCategory(nodes[i]) && nodes[i].level == 3 && nodes[i].text != bt::kNoCategory) nameless = false;
    }
    if (nameless) {
      std::size_t lastClear = end;
      for (std::size_t i = start; i < end; ++i) {
        MenuNode& n = nodes[i];
        if (isCategory(n) && n.level == 3) {
          n.level = kMenuRemoved;
        } else if (n.type == kMenuEntry && n.level == kEntryLevel) {
          n.level = 3;
        } else if (isCategory(n) && n.level == 2) {
          n.type = kMenuTestUnit;
        } else if (n.type == kMenuClearItem) {
          if (lastClear != end) nodes[lastClear].level = kMenuRemoved;
          lastClear = i;
        }
      }
      if (lastClear != end) nodes[lastClear].level = 2;
    }
    start = end;
  }
}

void countTree(MenuTree& tree) {
  std::vector<MenuNode>& nodes = tree.nodes;
  std::vector<std::int64_t> position(nodes.size(), -1);
  std::int64_t next = 0;
  tree.deepestLevel = 0;
  for (int level = 1; level <= kEntryLevel; ++level) {
    for (std::size_t i = 0; i < nodes.size(); ++i) {
      if (nodes[i].level == level) {
        position[i] = next++;
        tree.deepestLevel = level;
      }
    }
  }
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    MenuNode& n = nodes[i];
    if (!isCategory(n) || !isKept(n)) continue;
    n.number = 0;
    n.firstChild = -1;
    for (std::size_t j = i + 1; j < nodes.size(); ++j) {
      const MenuNode& c = nodes[j];
      if (!isKept(c)) continue;
      if (c.level <= n.level) break;
      if (c.level == n.level + 1) {
        if (n.firstChild < 0) n.firstChild = position[j];
        ++n.number;
      }
    }
  }
}

// True for a text with a style code in it (the only codes the menu text
// pass changes).
bool holdsStyleCode(std::u16string_view text) { return holdsUnitIn(text, bt::kItalicOn, bt::kGbOff); }

}  // namespace

void sortMenuSource(std::istream& in, std::ostream& out) {
  copyByteOrderMark(in, out);
  struct Row {
    std::array<std::uint32_t, 3> numbers;
    MenuFields fields;
  };
  std::vector<Row> rows;
  std::map<std::u16string, std::uint32_t> first;
  std::map<std::pair<std::uint32_t, std::u16string>, std::uint32_t> second;
  std::map<std::tuple<std::uint32_t, std::uint32_t, std::u16string>, std::uint32_t> third;
  std::array<std::uint32_t, 3> counters{0, 0, 0};
  constexpr std::uint32_t kNameless = 0xFFFFFFFFu;

  auto number = [&](auto& map, auto key, const std::u16string& name, int level) {
    if (name == bt::kNoCategory) return kNameless;
    auto [it, added] = map.emplace(std::move(key), counters[level]);
    if (added) ++counters[level];
    return it->second;
  };

  WideLineReader reader(in);
  std::u16string line;
  while (reader.read(line)) {
    if (bt::isEmptyLine(line)) continue;
    Row row;
    row.fields = splitMenuLine(line);
    const MenuFields& f = row.fields;
    std::uint32_t n1 = number(first, f[0], f[0], 0);
    std::uint32_t n2 = number(second, std::make_pair(n1, f[1]), f[1], 1);
    std::uint32_t n3 = number(third, std::make_tuple(n1, n2, f[2]), f[2], 2);
    row.numbers = {n1, n2, n3};
    rows.push_back(std::move(row));
  }
  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    if (a.numbers != b.numbers) return a.numbers < b.numbers;
    return a.fields[4] < b.fields[4];
  });
  WideLineWriter writer(out);
  std::u16string outLine;
  for (const Row& row : rows) {
    outLine.clear();
    for (int i = 0; i < kMenuFields; ++i) {
      if (i > 0) outLine.push_back(bt::kTab);
      outLine += row.fields[i];
    }
    outLine.append(bt::kLineEnd);
    writer.write(outLine);
  }
}

MenuTree buildMenuTree(std::istream& sorted) {
  MenuTree tree;
  auto add = [&](int type, int level, std::u16string_view text, std::int64_t number) {
    MenuNode n;
    n.sequence = static_cast<std::uint32_t>(tree.nodes.size());
    n.type = type;
    n.level = level;
    n.text.assign(text);
    n.number = number;
    tree.nodes.push_back(std::move(n));
  };
  auto addCategories = [&](const MenuFields& f, int fromLevel) {
    for (int level = fromLevel; level <= 3; ++level) {
      add(level == 3 ? kMenuTestUnit : kMenuCategory, level, f[level - 1], 0);
    }
  };
  auto addClear = [&] { add(kMenuClearItem, 3, kClearRecordsText, -1); };

  std::u16string line;
  MenuFields previous;
  bool firstLine = true;
  bool any = false;
  WideLineReader reader(sorted);
  while (reader.read(line)) {
    std::u16string_view view = line;
    if (firstLine && !view.empty() && view[0] == kByteOrderMark) view.remove_prefix(1);
    firstLine = false;
    if (bt::isEmptyLine(view)) continue;
    MenuFields f = splitMenuLine(view);
    if (!any) {
      addCategories(f, 1);
    } else if (f[0] != previous[0]) {
      addClear();
      addCategories(f, 1);
    } else if (f[1] != previous[1]) {
      addClear();
      addCategories(f, 2);
    } else if (f[2] != previous[2]) {
      addCategories(f, 3);
    }
    add(kMenuEntry, kEntryLevel, f[3], readHex32(f[4]));
    previous = std::move(f);
    any = true;
  }
  if (!any) return tree;
  addClear();

  tree.flat = true;
  for (const MenuNode& n : tree.nodes) {
    if (isCategory(n) && n.level >= 2 && n.text != bt::kNoCategory && n.text != bt::kLegendWord) {
      tree.flat = false;
      break;
    }
  }
  if (tree.flat) {
    collapseFlat(tree);
  } else {
    collapseGroups(tree);
  }
  countTree(tree);
  return tree;
}

void writeMenuFiles(const MenuTree& tree, std::optional<std::uint32_t> legendEntry, std::ostream& index,
                    std::ostream& textList, std::ostream& report) {
  const int legend = legendEntry ? 1 : 0;
  writeByteOrderMark(textList);
  writeByteOrderMark(report);

  std::int64_t levelOne = 0;
  for (const MenuNode& n : tree.nodes) levelOne += n.level == 1;
  index << "LV01\t1\t" << hex8(levelOne + legend) << "\t00000001\r\n";
  writeWideLine(textList, u"LV01\t\r\n");

  const MenuNode* flatClear = nullptr;
  for (int level = 1; level <= kEntryLevel; ++level) {
    for (const MenuNode& n : tree.nodes) {
      if (n.level != level) continue;
      if (tree.flat && n.type == kMenuClearItem) {
        flatClear = &n;
        continue;
      }
      index << levelTag(level) << '\t' << n.type << '\t' << hex8(n.number) << '\t';
      if (isCategory(n) && n.firstChild >= 0) {
        index << hex8(n.firstChild + 1 + legend) << "\r\n";
      } else {
        index << "FFFFFFFF\r\n";
      }
      putTextLine(textList, level, n.text);
    }
    if (level == 1) {
      if (legendEntry) {
        index << "LV02\t0\t" << hex8(*legendEntry) << "\tFFFFFFFF\r\n";
        putTextLine(textList, 1, bt::kLegendWord);
      }
      if (flatClear) {
        index << "LV02\t" << kMenuClearItem << "\tffffffff\tFFFFFFFF\r\n";
        putTextLine(textList, 1, flatClear->text);
      }
    }
  }

  std::u16string line;
  for (const MenuNode& n : tree.nodes) {
    std::string head = levelTag(n.level) + "\t" + std::to_string(n.type) + "\t" + hex8(n.number) + "\t" +
                       (n.firstChild >= 0 ? hex8(n.firstChild) : std::string("FFFFFFFF")) + "\t";
    line = utf8ToUtf16(head);
    line += n.text;
    line.append(bt::kLineEnd);
    writeWideLine(report, line);
  }
}

std::u16string menuTextLine(std::u16string_view line) {
  std::u16string cut;
  if (line.size() > kMenuLineLimit) {
    cut.assign(line.substr(0, kMenuLineKeep));
    cut.append(bt::kLineEnd);
    line = cut;
  }
  const std::u16string_view body = bt::withoutLineEnd(line);
  const std::size_t tab = body.find(bt::kTab);
  if (tab == std::u16string_view::npos || !holdsStyleCode(line)) return std::u16string(line);
  std::vector<char16_t> styles;
  std::u16string value = applyStyleStack(body.substr(tab + 1), styles);
  std::erase_if(value, [](char16_t c) { return c == bt::kBoldOn || c == bt::kBoldOff; });
  std::u16string out(body.substr(0, tab + 1));
  out += mergeStylePairs(value);
  out.append(line.substr(body.size()));
  return out;
}

void menuLinePass(std::istream& in, std::ostream& out) {
  copyByteOrderMark(in, out);
  WideLineReader reader(in);
  WideLineWriter writer(out);
  std::u16string line;
  while (reader.read(line)) {
    if (line.size() <= kMenuLineLimit && !holdsStyleCode(line)) {
      writer.write(line);
    } else {
      writer.write(menuTextLine(line));
    }
  }
}

MenuTree generateMenu(const ConversionContext& context, std::optional<std::uint32_t> legendEntry) {
  namespace fs = std::filesystem;
  namespace wf = workfiles;
  const WorkPaths& p = context.paths;
  const fs::path source = p.trash / wf::kMenuSource;
  const fs::path sorted = p.trash / wf::kMenuSorted;
  {
    std::ifstream in = openPassInput(source);
    BackgroundOutput out(sorted);
    sortMenuSource(in, out);
    out.close();
  }
  MenuTree tree;
  {
    std::ifstream in = openPassInput(sorted);
    tree = buildMenuTree(in);
  }
  const fs::path index = wf::menuFolderPath(p) / wf::kMenuIndex;
  const fs::path pre1 = wf::menuFolderPath(p) / wf::kMenuPre1;
  const fs::path pre2 = wf::menuFolderPath(p) / wf::kMenuPre2;
  const fs::path list = wf::menuListPath(p);
  const fs::path report = p.trash / wf::kMenuReport;
  {
    std::error_code ec;
    fs::create_directories(wf::menuFolderPath(p), ec);
    BackgroundOutput indexOut(index);
    BackgroundOutput pre1Out(pre1);
    BackgroundOutput reportOut(report);
    writeMenuFiles(tree, legendEntry, indexOut, pre1Out, reportOut);
    indexOut.close();
    pre1Out.close();
    reportOut.close();
  }
  tagToCodePass(pre1, pre2);
  {
    std::ifstream in = openPassInput(pre2);
    BackgroundOutput out(list);
    menuLinePass(in, out);
    out.close();
  }
  context.conversion.menuDepth = tree.deepestLevel;
  return tree;
}

}  // namespace dm
