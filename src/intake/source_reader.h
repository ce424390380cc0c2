// Code conversion of the user's source text into the UTF-16LE working copy
// with a mark: a UTF-16LE source with its mark is taken as it is, a UTF-16BE
// or UTF-8 source is converted, anything else is decoded as Shift-JIS (codes
// without a conversion are dropped and logged). A source whose lines end with
// LF alone gets CR LF line ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <ostream>
#include <string_view>

#include "intake/source_encoding.h"
#include "work/progress_sink.h"

namespace dm {

// Maps one Shift-JIS code (a byte, or lead * 256 + trail) to its code unit;
// returns 0 when the code has no conversion.
char16_t decodeSjisCode(std::uint16_t code);

// Decodes Shift-JIS bytes from `in` (read from its current position) into
// UTF-16LE code units on `out` (no mark is written). Each code without a
// conversion is dropped, written to `errorLog` as ":0x%04x\n" and, when
// `trace` is given, as the line "Error,Can't convert code=0x%04x" to it. Returns the
// number of dropped codes.
std::uint64_t decodeShiftJis(std::istream& in, std::ostream& out, std::ostream& errorLog,
                             std::ostream* trace = nullptr);

// The encoding of a whole source text: the mark FF FE, FE FF or EF BB BF
// names it; without a mark, well-formed UTF-8 holding at least one multi-byte
// character is UTF-8, and anything else (plain ASCII too) is Shift-JIS.
SourceEncoding detectSourceEncoding(std::string_view bytes);

// The whole conversion over a stream, read from its current position to its
// end. A UTF-16LE source is copied unchanged; a UTF-16BE or UTF-8 source is
// converted to UTF-16LE, its mark (if any) becoming the mark FF FE; anything
// else gets the mark and is decoded as Shift-JIS, with `errorLog` and `trace`
// as for decodeShiftJis (they are left untouched for the other encodings).
// Whatever the encoding, a text without any CR LF ends its lines with LF
// alone: then a CR is put before every LF, so the copy always ends its lines
// with CR LF. Returns the encoding read.
SourceEncoding convertSourceStream(std::istream& in, std::ostream& out, std::ostream& errorLog,
                                   std::ostream* trace = nullptr);

// The conversion over files: `source` -> `uni`, Shift-JIS errors to `errorLog`
// (created only for a Shift-JIS source) and traced as log lines to `sink`. Throws
// PassFailure when a file cannot be opened, read or written. The source is
// only read. Returns the encoding read.
SourceEncoding convertSourceFile(const std::filesystem::path& source, const std::filesystem::path& uni,
                                 const std::filesystem::path& errorLog, ProgressSink& sink);

}  // namespace dm
