// The component converter: turns one hex text table of the compiler (or a
// binary file) into the bytes that an image carries. Every image builder
// goes through it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace dm {

namespace fs = std::filesystem;

// Conversion kinds.
inline constexpr int kHexNibbles = 0;   // hex digits packed two per byte
inline constexpr int kBinaryCopy = 1;   // bytes copied unchanged
inline constexpr int kHexTriplets = 4;  // first hex number of a line as 3 bytes, MSB first

struct ComponentResult {
  std::uint32_t callerValue = 0;  // passed through
  std::uint64_t lines = 0;        // data lines read
  std::uint64_t recordWidth = 0;  // kind 0: common length of all data lines, else 0
  std::uint64_t size = 0;         // bytes written
};

// True for the index file names whose kind-0 line count counts only lines
// holding a TAB ("sidx.trm", "pidx.trm", "sidx_long.trm").
bool countsTabLinesOnly(std::string_view fileName);

// Converts `in` into `out` by `kind`.
//  kind 0: lines that are empty or begin with ':' are skipped; in every other
//    line each "0x" pair and TAB is removed, and the hex digits before the
//    first ':' are packed two per byte (first digit high) across lines; an
//    odd last digit is completed with F. Other characters are ignored.
//  kind 1: copy.
//  kind 4: for each line not empty and not beginning with ':', its first hex
//    number as 3 bytes, most significant first (lines without one are
//    skipped).
//  any other kind: throws PassFailure "Type error!", nothing written.
// A line end is LF or CR LF.
ComponentResult convertComponent(std::istream& in, std::ostream& out, int kind, bool tabLinesOnly = false);

// The file that ConvertComponent writes for `path`: the same name with
// workfiles::kConvertedSuffix ("_") appended.
fs::path convertedPath(const fs::path& path);

// Converts the file `path` into convertedPath(path). Returns nothing when
// `path` cannot be opened or the output cannot be created; throws
// PassFailure when writing the output fails or `kind` is unknown.
std::optional<ComponentResult> ConvertComponent(const fs::path& path, int kind, std::uint32_t callerValue = 0);

// The ComponentResult of converting `path` by `kind` without writing any
// file (for the line counts of the images); nothing when it cannot be read.
std::optional<ComponentResult> measureComponent(const fs::path& path, int kind);

}  // namespace dm
