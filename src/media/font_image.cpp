#include "media/font_image.h"

namespace dm {

void buildFontImage(const WorkPaths&, std::ostream&) {}
void convertPictureTables(const WorkPaths&) {}
void writeFontDirectory(const WorkPaths&, std::ostream&) {}
void wrapFontImage(const std::filesystem::path&, const std::filesystem::path&, std::ostream&) {}

}  // namespace dm
