// Fast searches over UTF-16 text for the line passes, which look for one
// markup character or a range of device codes in lines of many units.
#pragma once

#include <cstddef>
#include <string_view>

namespace dm {

// The index of the first `unit` in `text` at or after `from`, or npos: what
// text.find(unit, from) gives, found with a byte search.
std::size_t findUnit(std::u16string_view text, char16_t unit, std::size_t from = 0);

// The index of the first unit at or after `from` that is no greater than
// `limit` (with '\r' as the limit: a control unit such as TAB, CR, LF or
// zero), or npos.
std::size_t findUnitAtMost(std::u16string_view text, char16_t limit, std::size_t from = 0);

// True when a unit of `text` lies in [first, last].
bool holdsUnitIn(std::u16string_view text, char16_t first, char16_t last);

}  // namespace dm
