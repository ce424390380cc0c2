// Decoding of the drill body: the packed entry text of Dic.bin through the
// word libraries of WordLib.bin and the tag records of TagRule.bin, back to
// the text lines the device shows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dm::readback {

struct DecodedLine {
  std::uint32_t tagOrdinal = 0;  // the tag's number in frequency order
  std::u16string text;           // device codes kept as they are
};

struct DecodedEntry {
  std::vector<DecodedLine> lines;  // every line, block lines (empty text) included
};

struct DecodedBody {
  std::vector<DecodedEntry> entries;
  std::string error;  // empty when the whole text decoded cleanly
};

// Decodes every entry of the packed text. Never reads outside the images;
// a malformed image ends the decoding with `error` set.
DecodedBody decodeBody(std::string_view dicImage, std::string_view wordLibImage, std::string_view tagRuleImage);

// One line of the menu index with its caption.
struct MenuItem {
  std::uint32_t level = 0;
  std::uint32_t type = 0;        // 0 entry, 1 category, 3 test unit, 5 clear item
  std::uint32_t number = 0;      // entry number, or the number of children
  std::uint32_t firstChild = 0;  // position of the first child in the index
  std::u16string caption;
};

struct DecodedMenu {
  std::vector<MenuItem> items;  // in index order; item 0 is the root
  std::string error;
};

// Decodes Menu.bin: its captions through its own word library and its index.
DecodedMenu decodeMenu(std::string_view menuImage);

// The captions of the categories above drill entry `entry`, outermost first;
// empty when no menu item names the entry.
std::vector<std::u16string> categoryPath(const DecodedMenu& menu, std::uint32_t entry);

// UTF-8 text of a decoded line with the device codes shown readably:
// «B»…«/B» for styles, [picture 0015], [sound 00000003], (1) for choice labels.
std::string readableText(std::u16string_view text);

}  // namespace dm::readback
