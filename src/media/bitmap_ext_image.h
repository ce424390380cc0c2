// ExtBmp.bin, the colour picture component: the address table
// Destin/BmpExt/bitmap.add (hex text, converted to bytes) and the picture
// data Destin/BmpExt/bitmap.dat behind a 138-byte member directory.
#pragma once

#include "work/progress_sink.h"
#include "work/work_files.h"

namespace dm {

// Builds Destin/ExtBmp.bin. The build pass calls it when the
// other-picture list (the cover picture included) is not empty. A member
// that cannot be read logs "No such file! <path>" to `sink` and contributes
// no bytes.
void buildExtBmpImage(const WorkPaths& paths, ProgressSink& sink);

}  // namespace dm
