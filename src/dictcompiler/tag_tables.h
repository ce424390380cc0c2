// The built-in tag tables of the compiler: the entry table of the drill text
// and the three menu tables (3, 4 and 5 levels), with the word library, block
// role, display attributes and indents of every tag.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace dm {

struct TagDef {
  const char* name;
  const char* library;
  std::uint8_t blockKind;  // 1 entry block, 2 note block, 0 none
  std::uint8_t blockEdge;  // 1 block start, 2 block end, 0 none
  std::uint32_t attr;
  std::uint8_t newlineIndent;
  std::uint8_t changeLineIndent;
};

// The suffix of the split pieces of a long line; a tag is looked up in the
// tables with its name cut at the first occurrence.
inline constexpr std::string_view kSplitSuffix = "_s0";

// The tag that opens an entry of the drill text.
inline constexpr const char* kEntryStartTag = "START_BLOCK_Word";

std::span<const TagDef> entryTagTable();
// The menu table of `levels` rows (LV01 ...); empty for other than 3, 4, 5.
std::span<const TagDef> menuTagTable(int levels);

// The row of `name` in `table`, or null.
const TagDef* findTagDef(std::span<const TagDef> table, std::string_view name);

// `name` cut at the first "_s0".
inline std::string_view baseTagName(std::string_view name) {
  const std::size_t cut = name.find(kSplitSuffix);
  return cut == std::string_view::npos ? name : name.substr(0, cut);
}

}  // namespace dm
