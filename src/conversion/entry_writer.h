// The record writer and the legend writer: one validated source record to
// one BlockText entry (Drill.tm1), markup still inline.
#pragma once

#include <string>
#include <string_view>

namespace dm {

// Appends the entry of one record line (TAB-separated, CR LF optional) to
// `out`: categories, headword, time limit, question, the choices as JUMP
// lines, and the answer page.
void writeRecord(std::u16string_view record, std::u16string& out);

// Appends the legend entry when field 1 of the settings line is present.
void writeLegend(std::u16string_view settings, std::u16string& out);

// Full-width digits U+FF10-U+FF19 turned into ASCII digits.
std::u16string asciiDigits(std::u16string_view text);

}  // namespace dm
