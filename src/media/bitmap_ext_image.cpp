#include "media/bitmap_ext_image.h"

namespace dm {

void buildExtBmpImage(const WorkPaths&, std::ostream&) {}

}  // namespace dm
