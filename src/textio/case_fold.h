// Case folding of file names, so that names compare without regard to case
// the way the media lookup needs.
#pragma once

#include <string>
#include <string_view>

namespace dm {

// Lower case of ASCII, Latin-1, Greek, Cyrillic and full-width Latin letters;
// every other code unit is unchanged.
char16_t lowerCaseUnit(char16_t c);
std::u16string lowerCase(std::u16string_view text);
// The same over UTF-8 text.
std::string lowerCaseUtf8(std::string_view text);
// The extension of a file name from its last '.', lower-cased as above
// (".TXT" gives ".txt"); empty when the name has no '.'.
std::string lowerCaseExtension(std::string_view fileName);
// True when both texts are equal after lowerCase.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace dm
