// The split pass (Drill.cln2 -> Drill.cln6): every line longer than 500
// characters (CR LF not counted) is cut into pieces; later pieces carry the
// tag + "_s00". Cuts go after punctuation where possible, never inside an
// atomic run (sound code, jump label, font escape) in the fallback cut, and
// an <L> keep-together span open at a cut is closed and reopened.
#pragma once

#include <cstddef>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "work/progress_sink.h"

namespace dm {

// Position in `value` after which the value is cut, or nullopt; `tagUnits`
// is the length of the line's tag (the TAB not counted).
std::optional<std::size_t> findSplitCut(std::u16string_view value, std::size_t tagUnits);

// Appends the pieces of one line (CR LF optional) to `out`, each ending in
// CR LF. A line that cannot be cut is written as it is and reported on
// `trace` with `lineNumber`.
void splitLine(std::u16string_view line, long lineNumber, std::u16string& out, std::ostream& trace);

// Copies the mark, then splits every line; messages go to `trace`.
void splitPass(std::istream& in, std::ostream& out, std::ostream& trace);
// The same over files; messages go to `sink` as log lines.
void splitPass(const std::filesystem::path& in, const std::filesystem::path& out, ProgressSink& sink);

}  // namespace dm
