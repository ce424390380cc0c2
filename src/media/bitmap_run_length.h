// The run-length coder of the class 6 grey picture table and the raw table
// of class 4.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>

#include "media/bitmap_tables.h"

namespace dm::bitmap {

// The run-length code of `digits` (joined rows, read in units of two hex
// digits) as upper-case hex bytes: a run of 3 or more equal units is
// 0x80 + count and the unit (count below 128) or "80", the unit and the
// count's low and high byte; a literal stretch is its count byte and the
// units (below 128) or "00", the count's low and high byte and the units.
std::string runLengthCode(std::string_view digits);

// Codes the pictures of `cln` into the class 6 tables (.add offsets in code
// bytes, a last .add line with the final offset, an empty .h). Returns the
// number of pictures read.
std::size_t writeRunLengthTables(std::istream& cln, const TableStreams& out);

// Writes the raw table of the pictures read from `pictures`: their rows
// (then an empty line) into out.dic (the .hex table), the .inf line (kind 4,
// or 2 for 1 bit) and the .add line "%07x\t%01x" (row offset in hex digits,
// bits per pixel). Called once per picture file; `state` carries the running
// offset and picture index from call to call.
struct RawTableState {
  std::uint64_t offset = 0;  // hex digits of .hex, empty lines not counted
  std::uint32_t written = 0;
};
void writeRawTables(std::istream& pictures, const TableStreams& out, RawTableState& state);

}  // namespace dm::bitmap
