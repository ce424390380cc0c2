// Word selection of a word library: finds the substrings that repeat often
// enough in the library's text and cuts every line into tokens at the
// selected words (longest words first), marking the cuts with U+0010.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <vector>

#include "dictcompiler/compile_state.h"

namespace dm {

// Separator between the tokens of a line after selection.
inline constexpr char16_t kTokenSeparator = 0x0010;

// Minimum occurrences of a candidate word, indexed by its length in bytes.
using MinFreqTable = std::array<std::uint32_t, 201>;

// 10 below 6 bytes, 7 for 6-7, 5 for 8-9, 4 for 10-29, 3 from 30 on.
MinFreqTable defaultMinFreq();

// Applies a rule file: each line that is neither empty nor begins with ':'
// and starts with ">", ">=", "<", "<=" or a digit (equality) is a rule; its
// first two decimal numbers are N and F. Every length L takes the F of the
// first rule whose condition on L and N holds.
void applyFreqRules(MinFreqTable& table, std::istream& rules);

// The table of a library: the default, with the rule file applied when it
// exists.
MinFreqTable loadMinFreq(const std::filesystem::path& rulePath);

// Runs the scan and the selection over the texts and rewrites each text with
// U+0010 around the selected words. Lengths are in bytes of UTF-16 text.
// `s` (optional) receives the progress texts.
void selectWords(std::vector<SplitLine>& lines, const MinFreqTable& minFreq, int minLen, int maxLen,
                 const CompileState* s);

// Selects the words of every library and rewrites its split file.
void SelectWordLibs(CompileState& s);

}  // namespace dm
