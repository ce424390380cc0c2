// The C headers that describe a compile to the device firmware and to the
// image builders (dict.h with the word library decoding tables, the tag
// header, the rule source, dict_type.h), the space report and the tag rule
// list with the display rules of every tag.
#pragma once

#include <string>

#include "dictcompiler/compile_state.h"

namespace dm {

// The contents of the files, built from the compile state.
std::string dictHeaderText(const CompileState& s);
std::string tagHeaderText(const CompileState& s);
std::string ruleSourceText(const CompileState& s);
std::string dictTypeText(const CompileState& s);
std::string spaceReportText(const CompileState& s);
// The tag rule list from the census and the text of the tag header.
std::string tagRuleListText(const CompileState& s, const std::string& tagHeader);

// A DICT_WDNO (or DICT_DSP) row: the running sums of `dist` capped at 15, as
// "0x0%c" items.
std::string firstNibbleRow(const CodeLengthDist& dist, int items);
// A WDL_SHORT_LONG_OFFSET (or DICT_DSP_OFF) row: the code offsets, repeating
// the last one once all 15 first-nibble values are used; `suffix` follows
// each value ("L" or "").
std::string offsetRow(const CodeLengthDist& dist, int items, const char* suffix);

// Writes dict.h and the tag header (DictOutDir), the rule source, dict_type.h
// and the space report (DictDir).
void WriteHeaders(CompileState& s);
// Writes DictOutDir/tag_rule.lst (entry compile only).
void WriteTagRuleList(CompileState& s);

}  // namespace dm
