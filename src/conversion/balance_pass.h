// The balancing pass (Drill.cln7 -> Middata/Source/Drill.cln): every value
// line carries its own style codes. Styles open at the end of a line are
// closed there and reopened on the next value line; only one of bold,
// italic, underline and S is open at a time; <L> and <GB> spans are closed
// and reopened per line; empty on/off pairs are removed.
#pragma once

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

// The state carried from line to line through a whole file.
struct BalanceState {
  std::vector<char16_t> styles;  // on codes of the open carried styles
  bool keepOpen = false;         // <L> span open at the end of the last line
  bool gbOpen = false;           // <GB> span open at the end of the last line
};

// Walks `value` with the style stack: an on code closes the style below it
// first, an off code reopens the style below it after itself; styles still
// open at the end are closed. Returns the new value.
std::u16string applyStyleStack(std::u16string_view value, std::vector<char16_t>& styles);

// Removes adjacent on-off and off-on pairs of bold, italic, underline, S,
// GB and L, one style after the other in that order.
std::u16string mergeStylePairs(std::u16string_view value);

// One line (CR LF included); empty lines, BMP lines and lines with an
// empty value come back unchanged.
std::u16string balanceLine(std::u16string_view line, BalanceState& state);

// Copies the mark, then balances every line.
void balancePass(std::istream& in, std::ostream& out);
void balancePass(const std::filesystem::path& in, const std::filesystem::path& out);

}  // namespace dm
