// Font.bin, the font and picture component of the container. Its font
// groups are always empty; it carries the monochrome and grey picture
// tables of the bitmap phase (Destin/Bmp) converted to bytes, behind a
// 164-byte header and a directory of 16 records (Trash/Font2.bin), wrapped
// in a 29-byte prefix.
#pragma once

#include <filesystem>

#include "work/progress_sink.h"
#include "work/work_files.h"

namespace dm {

// Builds Destin/Font.bin by way of Trash/Font2.bin from the tables in
// Destin/Bmp. Runs in every build: without Destin/Bmp/bitmap.inf the image
// is the prefix, the header and an empty directory (29 + 3,060 bytes).
// Warnings and errors go to the log of `sink`.
void buildFontImage(const WorkPaths& paths, ProgressSink& sink);

// The three steps, for tests and callers that need one of them.
// Converts every picture table in Destin/Bmp that exists to "<name>_".
void convertPictureTables(const WorkPaths& paths);
// Writes Trash/Font2.bin from the converted tables (and deletes them).
void writeFontDirectory(const WorkPaths& paths, ProgressSink& sink);
// Writes `target` as 25 zero bytes, the 32-bit value 29 and `source`.
// Logs an error and writes nothing when `source` cannot be read.
void wrapFontImage(const std::filesystem::path& source, const std::filesystem::path& target,
                   ProgressSink& sink);

}  // namespace dm
