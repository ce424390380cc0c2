// Media registration: gives every picture and sound a drill references its
// id, converts new pictures once, and fills the registration lists that the
// bitmap and sound phases read (ConversionState::media).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "conversion/conversion_context.h"
#include "pictures/picture_library.h"
#include "work/limits.h"

namespace dm {

// No new picture number once monochrome + other counters reach this.
inline constexpr std::uint32_t kPictureNumberLimit = 65021;
inline constexpr std::uint32_t kDefaultPictureNumber = 0x14;
inline constexpr std::u16string_view kDefaultPictureName = u"default.bmp";
// Size the registration converts pictures to (width; -1: any height).
inline constexpr std::int32_t kRegisteredPictureWidth = 800;
inline constexpr std::int32_t kRegisteredPictureHeight = -1;

// Converts one picture file: PictureZoom's contract (negative on failure;
// fills kind and fileSize of the result on success).
using PictureConverter = std::function<int(const std::filesystem::path& source,
                                           const std::filesystem::path& target, std::int32_t width,
                                           std::int32_t height, PictureInfo& result)>;

// The picture library's PictureZoom.
PictureConverter libraryPictureConverter();

struct PictureRegistration {
  std::u16string id;   // "0014", "0015", "020001", ...
  bool other = false;  // not a monochrome or grey picture
};

// Registers a picture by file name (trailing spaces ignored). New listed
// pictures are converted into Middata/BmpExt/<lower-cased name>. Missing,
// unconvertible or over-limit pictures get the default id 0014; a listed
// picture that cannot be read any more also adds a warning naming it and the
// reason to the context's warnings. The first call of a build registers the
// default picture.
PictureRegistration registerPicture(const ConversionContext& context, const PictureConverter& convert,
                                    std::u16string_view name);

// Registers a sound by file name; returns its 8-digit id, "ffffffff" once
// the sound byte limit is passed (that name stays refused for the build).
std::u16string registerSound(const ConversionContext& context, std::u16string_view name);

}  // namespace dm
