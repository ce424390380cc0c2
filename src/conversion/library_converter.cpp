// Kept apart from the passes so that code using its own converter (tests,
// tools) does not need the picture library.
#include "conversion/conversion.h"
#include "conversion/media_registration.h"

namespace dm {

PictureConverter libraryPictureConverter() {
  return [](const std::filesystem::path& source, const std::filesystem::path& target,
            std::int32_t width, std::int32_t height, PictureInfo& result) {
    return PictureZoom(source, target, width, height, result);
  };
}

void convertDrill(const ConversionContext& context) { convertDrill(context, libraryPictureConverter()); }

}  // namespace dm
