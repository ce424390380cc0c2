// UTF-16 little-endian work files. Readers and writers work on byte streams,
// so the passes can run over files or over in-memory strings alike.
#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace dm {

// Code units of the shared wide line buffer; a line read holds at most one
// unit fewer.
inline constexpr std::size_t kWideLineUnits = 848314;

inline constexpr char16_t kByteOrderMark = 0xFEFF;

// Reads up to `maxUnits - 1` code units into `line` (replacing its content),
// stopping after the first LF, which stays in the line. Returns false at the
// end of the stream when nothing was read. A longer line comes back in
// pieces, one per call. An odd trailing byte is dropped.
bool readWideLine(std::istream& in, std::u16string& line, std::size_t maxUnits = kWideLineUnits);

// Writes the code units unchanged, little-endian (the caller supplies CR LF).
void writeWideLine(std::ostream& out, std::u16string_view text);

// Writes the byte-order mark FF FE.
void writeByteOrderMark(std::ostream& out);

// Copies the first two bytes (the mark) of `in` to `out`; returns how many
// bytes were copied.
std::size_t copyByteOrderMark(std::istream& in, std::ostream& out);

// True for a line that begins with CR LF: blank for every caller.
inline bool isBlankWideLine(std::u16string_view line) {
  return line.size() >= 2 && line[0] == u'\r' && line[1] == u'\n';
}

// Removes a trailing LF and then a trailing CR.
std::u16string_view chompWide(std::u16string_view line);

// UTF-8 <-> UTF-16 for texts that cross the program's edges (messages,
// paths, diagnostics). Invalid UTF-8 bytes become U+FFFD; lone surrogates
// become U+FFFD in UTF-8.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// True when every byte of `text` belongs to a well-formed UTF-8 sequence (no
// overlong forms, surrogates or code points beyond U+10FFFF).
bool isValidUtf8(std::string_view text);

}  // namespace dm
