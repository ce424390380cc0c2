// The packer: restores the source order of the coded lines, gives every tag a
// nibble code by frequency, cuts the text into entries and writes the packed
// dictionary text, the entry table, the line table and the entry address
// list with its segment and offset files.
//
// Packed text, per entry: the tag codes of its lines padded with F so that
// the entry's text starts on a byte boundary, a blank, then its lines of
// word codes, each ended by F; an entry ends with a separator line F.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dictcompiler/compile_state.h"

namespace dm {

// The code of the i-th tag in frequency order: 'e' repeated i / 14 times,
// then the digit of i % 14 (0-9, a-d).
std::string tagCode(std::uint32_t i);

// Pads a tag part with F so that it ends with F and its length has the parity
// of `previousDigits` (hex digits of the previous entry's text).
std::string padTagPart(std::string tagPart, std::uint64_t previousDigits);

// Number of hex digits (letters and digits) in `text`.
std::uint64_t countHexDigits(std::string_view text);

// Sorts the coded lines into source order, counts the lines of every tag,
// assigns the tag codes and builds the packed lines with their separators.
void PackDictionary(CompileState& s);
// Copies the codes of the block tags.
void CopyBlockTagCodes(CompileState& s);

struct EntryTables {
  std::string dic;  // the packed text
  std::string add;  // "%08x\t%08x\n": entry offset, first line number
  std::string aaa;  // "%s\t%08x\t%08x\n": tag, line offset, line number
  std::vector<std::uint64_t> entryOffsets;
  std::uint64_t nibbles = 0;  // hex digits of the packed text
};
// Cuts the packed lines into entries (as PackDictionary made them, with
// their digit counts) and lays them out.
EntryTables buildEntryTables(const Dictionary& dict);
// Writes DictOutDir/<name>.dic, DictDir/<name>.aaa and DictDir/<name>.add.
void WriteEntryTables(CompileState& s);

// The entry address list: every entry offset as `width` lower-case hex digits.
std::string entryAddressList(const std::vector<std::uint64_t>& offsets, int width);
// Writes the entry address list (entry_add.dat, or menu_item.add for the menu)
// and its segment and offset files.
void WriteEntryAddressTable(CompileState& s);

}  // namespace dm
