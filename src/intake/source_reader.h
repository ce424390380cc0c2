// Code conversion of the user's source text: a UTF-16LE source with its mark
// is taken byte for byte, anything else is decoded as Shift-JIS into UTF-16LE
// with a mark. Codes without a conversion are dropped and logged.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <ostream>

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

// The whole conversion over a seekable stream. When `in` begins with FF FE it is copied
// to `out` unchanged and `errorLog` is left untouched; otherwise the mark is
// written and the source decoded as Shift-JIS. Returns true for a UTF-16 source.
bool convertSourceStream(std::istream& in, std::ostream& out, std::ostream& errorLog,
                         std::ostream* trace = nullptr);

// The conversion over files: `source` -> `uni`, Shift-JIS errors to `errorLog`
// (created only for a Shift-JIS source). Throws PassFailure when a file cannot
// be opened or written. The source is only read.
void convertSourceFile(const std::filesystem::path& source, const std::filesystem::path& uni,
                       const std::filesystem::path& errorLog);

}  // namespace dm
