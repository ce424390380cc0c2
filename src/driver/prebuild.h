// The checks that must pass before a run starts: exactly one non-empty text
// file, a writable work folder and enough free space. They also fill the
// source path, the media totals and the media list of the run.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "driver/run_state.h"

namespace dm {

// Free bytes of the file system holding a path; nullopt when unknown.
using FreeSpaceFn = std::function<std::optional<std::uint64_t>(const fs::path&)>;

// The write probe's folder name: "%08X-%04X-%04X-%01X%01X%01X%01X%01X%01X%01X%01X"
// over the GUID's fields and its eight last bytes.
std::string probeName(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3, const std::uint8_t (&data4)[8]);

// Runs the checks over `files` (in list order). Returns true when the run
// may start; otherwise sends the failure status (1023, 1024, 1034 or 1038)
// and returns false. Free space is measured on state.workBase and on
// `documentsFolder`; a size that cannot be measured does not fail the run.
bool preBuildChecks(RunState& state, const std::vector<fs::path>& files, const fs::path& documentsFolder,
                    const FreeSpaceFn& freeSpace);

// The key of a file name in the media list: its lower case in UTF-8. A name
// that is not valid UTF-8 is read as Shift-JIS (archives made on Japanese
// systems unpack their names so), so the source's "絵.bmp" finds it.
std::string mediaKey(const fs::path& path);

// True for ".bmp", ".jpg", ".jpeg" and ".gif" in any case.
bool isPictureFile(const fs::path& path);
// True for ".txt" in any case.
bool isTextFile(const fs::path& path);

// True for a file that can be the drill's source: a text (".txt") or a
// workbook (".xlsx", ".ods"), in any case. A drill has exactly one.
bool isSourceFile(const fs::path& path);

}  // namespace dm
