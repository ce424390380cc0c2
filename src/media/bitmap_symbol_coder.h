// The symbol coder of the monochrome (class 3) and symbol-coded grey
// (class 5) picture tables. Each picture's rows are XORed with the row above
// (last row up to the second), joined, and cut into run symbols "%04X%02X"
// (repeat count up to 65,535, byte); the symbols of all pictures get
// canonical nibble prefix codes by frequency (16 first-nibble values), and
// every picture is written as the codes of its symbols. Equal counts are
// ordered as the shared code assignment orders them (descending symbol text
// in the search, ascending within one code length).
#pragma once

#include <istream>
#include <string>

#include "media/bitmap_tables.h"

namespace dm::bitmap {

struct SymbolTableSpec {
  std::string ident;   // identifier of the .h: BITMAP_MONO or BITMAP_CLR
  bool colour = false; // .add lines "%07x\t%x" (else "%08x")
};

// Codes the pictures of `cln` (a concatenation of hex bitmaps, read twice:
// the stream must be seekable) into the five tables. A picture taller than
// 1,500 rows (the coder's limit) or than the three-digit height field, or
// one that would carry the table past its offset field or past 0x10000000
// hex digits, is written as the default picture's information line and gets
// no codes. Returns the number of pictures read.
std::size_t writeSymbolTables(std::istream& cln, const SymbolTableSpec& spec, const TableStreams& out);

}  // namespace dm::bitmap
