// Opening and closing the files of a pass, and the block-buffered line
// reader and writer the passes use. A file that cannot be opened or written
// ends the pass with PassFailure.
#pragma once

#include <filesystem>
#include <fstream>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "textio/wide_line.h"
#include "textio/wide_stream.h"

namespace dm {

// Opens `path` for binary reading; throws PassFailure "can't open file PATH:
// REASON" when it cannot.
std::ifstream openPassInput(const std::filesystem::path& path);
// Creates (or truncates) `path` for binary writing.
std::ofstream openPassOutput(const std::filesystem::path& path);
// Flushes and closes `out`; a write error ends the pass.
void closePassOutput(std::ofstream& out, const std::filesystem::path& path);

}  // namespace dm
