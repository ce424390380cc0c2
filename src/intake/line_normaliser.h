// Line normalisation of the UTF-16 working copy: joins quoted multi-line
// cells into one record line, resolves the spreadsheet quoting, marks in-cell
// line breaks with "<N>", replaces the device's reserved private-use codes and
// rewrites the half-width tag words to their full-width forms.
#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace dm {

// Quote state of a record being collected, advanced line by line.
struct QuoteScan {
  bool inQuote = false;    // a quoted field is open
  bool fieldStart = true;  // the next unit starts a field
  std::size_t pos = 0;     // units of the record already scanned
};

// Scans the units of `record` after `scan.pos`. A quoted field opens with a
// run of an odd number of '"' at the start of a field and closes with the
// next odd run anywhere; even runs are doubled quotes.
void scanQuotes(std::u16string_view record, QuoteScan& scan);

// Resolves the quoting of one complete record (physical lines joined, its
// line end included) and applies the replacements; returns the new text.
std::u16string normaliseRecord(std::u16string_view record);

// Trash/Drill.uni -> Trash/Drill_1.uni over streams: copies the first two
// bytes (the mark), then writes one normalised record per source record. A
// quote that never closes takes every remaining line.
void normaliseLines(std::istream& in, std::ostream& out);

}  // namespace dm
