// Opening and closing the files of a pass. A file that cannot be opened or
// written ends the pass with PassFailure.
#pragma once

#include <filesystem>
#include <fstream>

namespace dm {

// Opens `path` for binary reading.
std::ifstream openPassInput(const std::filesystem::path& path);
// Creates (or truncates) `path` for binary writing.
std::ofstream openPassOutput(const std::filesystem::path& path);
// Flushes and closes `out`; a write error ends the pass.
void closePassOutput(std::ofstream& out, const std::filesystem::path& path);

}  // namespace dm
