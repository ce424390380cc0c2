// The settings line of the build: the menu location and the cover picture.
#pragma once

#include <string_view>

#include "conversion/media_registration.h"

namespace dm {

// Reads the settings line of Drill_2.uni: MenuLocation takes the first 16
// code units of field 3 (zero-filled); a field 5 is registered as a picture
// (before any record picture) and kept as CoverPicture.
void readSettings(const ConversionContext& context, const PictureConverter& convert, std::u16string_view settings);

}  // namespace dm
