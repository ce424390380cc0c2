// The jump pass (Drill.cln6 -> Drill.cln7): the answer number after U+E055
// in every JUMP and JUMP_s00 line becomes the 12-digit jump address of the
// answer page of the same entry; ID lines are dropped.
#pragma once

#include <filesystem>
#include <istream>
#include <ostream>

namespace dm {

// Reads `in` twice (it must be seekable): copies the mark, records the ID
// lines, then writes the resolved lines.
void jumpPass(std::istream& in, std::ostream& out);
void jumpPass(const std::filesystem::path& in, const std::filesystem::path& out);

}  // namespace dm
