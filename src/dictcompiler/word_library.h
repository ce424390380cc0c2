// Generation of a word library: counts the tokens of the selected text, gives
// each a nibble code by frequency, writes the word list (wdl_<lib>.dat with
// front coding, .sdx with the offset of every 20th word, .cod with the
// character codes) and turns every line into word codes.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>
#include <vector>

#include "dictcompiler/compile_state.h"

namespace dm {

// Longest prefix shared with the previous word that front coding records.
inline constexpr std::uint32_t kMaxFrontPrefix = 14;

struct WordListSizes {
  CodeLengthDist charLenDist{};
  std::uint64_t datNibbles = 0;
  std::uint64_t sdxNibbles = 0;
  std::uint64_t codNibbles = 0;
  std::uint64_t longestWord = 0;  // characters
};

// Writes the word list of `words` (in code order). Every word is a line of
// the front-coding prefix, a blank and a character code per character after
// the prefix, and " f"; the first word of every block of `blockRecord` words
// has prefix 0 and an .sdx line ("%06x\n", its nibble offset in .dat).
// The .cod lines list the coded characters in code order ("%04X\n").
WordListSizes writeWordList(std::span<const std::u16string_view> words, std::uint32_t blockRecord, std::ostream& dat,
                            std::ostream& sdx, std::ostream& cod);

// Indices of `tokens` in ascending string order (code unit by code unit, a
// prefix before the longer string). The tokens must be distinct.
std::vector<std::uint32_t> stringOrder(std::span<const std::u16string_view> tokens);

// Generates every library: its word list files in DictOutDir and the coded
// lines of the dictionary, appended in library order. The libraries are
// generated side by side; their progress texts come out in library order. A word list file that cannot be created prints
// "can't open file %s  with  mode %s\n" and throws PassFailure.
void GenerateWordLibs(CompileState& s);

}  // namespace dm
