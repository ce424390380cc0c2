// Split files (wdl_<lib>.spl): the lines of one word library, UTF-16LE with
// the mark FF FE, each line "dictionary TAB line number (8 hex digits) TAB
// tag TAB text" ended by a single LF.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "dictcompiler/compile_state.h"

namespace dm {

// The bytes of a split file.
std::string encodeSplitFile(const Dictionary& dict, const std::vector<SplitLine>& lines);

// Writes the split file; throws PassFailure naming the file when it cannot be
// written.
void writeSplitFile(const std::filesystem::path& path, const Dictionary& dict, const std::vector<SplitLine>& lines);

// Appends UTF-16LE bytes of `text` to `bytes`.
void appendUtf16le(std::string& bytes, std::u16string_view text);

// The whole content of a file; throws PassFailure with `failure` (printed to
// the log first) when it cannot be opened.
std::string readWholeFile(const std::filesystem::path& path, const CompileState& s, const std::string& failure);

// The UTF-16LE text of a file after its first two bytes (the mark, not
// looked at); an odd last byte is dropped. Fails like readWholeFile.
std::u16string readUtf16leAfterMark(const std::filesystem::path& path, const CompileState& s,
                                    const std::string& failure);

// Writes `bytes` as the whole file; throws PassFailure naming the file when it
// cannot be created or written.
void writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace dm
