// The segmented delta writer: turns a list of hex numbers (one per line) into
// a segment file with one start offset per block of 64 values and an offset
// file that holds each block as its first value followed by delta codes.
// The entry address tables of the drill body and of the menu are written so.
//
// Offset file, one line per block: the first value in full (V upper-case
// digits, V being the digit count of the largest value), then per further
// value one code, every code followed by a blank:
//   0 / 00          one / two values equal to their predecessor
//   8k / 8Fhl       3..14 / 15 or more equal values
//   9..D / Ej / Fjj 1..5 / 6..15 / 16 or more values one above their predecessor
//   L + digits      any other value: its last L digits, L = V minus the
//                   leading digits it shares with its predecessor
// Segment file: the header "40" W V (block size, start-offset width, value
// width), then each block's start offset in the offset file, in nibbles.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <ostream>
#include <vector>

namespace dm {

inline constexpr int kRomBlockValues = 64;
// The writer type of the segmented delta writer (BuildOptions::romWidths[0]).
inline constexpr int kRomWriterSegmented = 2;

// Reads the values of a list: lines that are empty or begin with ':' are
// skipped, blanks and TABs are removed, the rest is read as hex (up to the
// first character that is not a hex digit; a line left empty is skipped).
std::vector<std::uint64_t> readHexList(std::istream& list);

// Writes the offset and segment files of `values`. Throws PassFailure when a
// value needs a literal of 8 or more digits, which the table cannot express.
void writeSegmentedTable(const std::vector<std::uint64_t>& values, std::ostream& seg, std::ostream& off);

// Writes the segment file `segPath` and the offset file `offPath` from the
// list file when `type` is the segmented writer's; any other type writes
// nothing (the list itself is the table). Files that cannot be opened or
// written throw PassFailure naming the file.
void WriteRomTable(const std::filesystem::path& listPath, int type, const std::filesystem::path& segPath,
                   const std::filesystem::path& offPath);

}  // namespace dm
