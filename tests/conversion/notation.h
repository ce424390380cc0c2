// A readable notation for BlockText lines in the conversion tests: device
// codes are written in brackets ("[B]" bold on, "[/B]" bold off, "[J]" jump
// label begin, "[F:f821]" a font-code escape, ...), and the rest is UTF-8.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace dm::test {

// Notation -> UTF-16 text.
std::u16string codes(std::string_view notation);
// UTF-16 text -> notation (for readable failure messages).
std::string show(std::u16string_view text);

// The bytes of a UTF-16LE work file: the mark FF FE, then each line as
// given in notation with "\r\n" appended.
std::string wideFile(std::initializer_list<std::string_view> lines);
std::string wideFile(const std::vector<std::string>& lines);
// The lines of a UTF-16LE work file in notation, without CR LF; the first
// entry is "<mark>" when the file begins with FF FE. A last line without
// CR LF gets "<no CR LF>" appended.
std::vector<std::string> wideLines(std::string_view bytes);

}  // namespace dm::test
