// The tag-to-code pass: style and colour markup of field values becomes the
// device codes of block_text.h. Used on Drill.cln1 -> Drill.cln2 and on the
// menu text list (menu_pre_1.lst -> menu_pre_2.lst).
#pragma once

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace dm {

// The device colour text of a colour specification (the text after
// "<TC color="): "T" + the quoted text in lower case + "#" when it begins
// with a colour name, "ff" + the six digits for six hex digits, else
// "ff000000" (also when unquoted or when a '>' comes before the closing quote).
// The names and the hex rule are the record checker's colour test.
std::u16string colourText(std::u16string_view spec);

// One line: a line without TAB is returned unchanged; otherwise the text up
// to the first TAB is kept and the value is rewritten.
std::u16string tagToCodeLine(std::u16string_view line);

// Copies the mark, then converts every line.
void tagToCodePass(std::istream& in, std::ostream& out);
void tagToCodePass(const std::filesystem::path& in, const std::filesystem::path& out);

}  // namespace dm
