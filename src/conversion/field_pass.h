// The field pass (Drill.tm1 -> Drill.tm2): line breaks become continuation
// lines (tag + "_c0"), pictures become BMP lines and sounds become sound
// codes, registering every picture and sound on the way.
#pragma once

#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "conversion/media_registration.h"

namespace dm {

// Appends the lines that one .tm1 line (CR LF included) becomes.
void fieldPassLine(std::u16string_view line, std::u16string& out, const ConversionContext& context,
                   const PictureConverter& convert);

// Copies the mark, then converts every line of `in`.
void fieldPass(std::istream& in, std::ostream& out, const ConversionContext& context, const PictureConverter& convert);
void fieldPass(const std::filesystem::path& in, const std::filesystem::path& out, const ConversionContext& context,
               const PictureConverter& convert);

}  // namespace dm
