// The menu index at the device widths: the lines of Middata/Menu/menu.idx
// rewritten for Destin/Menu/menu.idx (convertMenuIndexFile in images.h runs
// it over the files; the driver then compiles the menu captions).
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string_view>

namespace dm {

struct MenuParams;

// A menu index field read as a signed 32-bit hex number ("LV" already
// removed); values above 0x7FFFFFFF become 0x7FFFFFFF, text that is not a
// number reads 0.
std::uint32_t readMenuField(std::string_view field);

// Rewrites the menu index lines ("LV%02x", type, number, first child; TAB
// separated, up to four fields) at the widths of the menu block as lower-case
// hex with leading zeros, one LF-ended line per input line. A fourth field of
// exactly 0xFFFF becomes link-width F digits. Empty lines are dropped.
void convertMenuIndex(std::istream& in, std::ostream& out, const MenuParams& block);

}  // namespace dm
