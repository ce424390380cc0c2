// ExtBmp.bin, the colour picture component: the address table
// Destin/BmpExt/bitmap.add (hex text, converted to bytes) and the picture
// data Destin/BmpExt/bitmap.dat behind a 138-byte member directory.
#pragma once

#include <iostream>
#include <ostream>

#include "driver/run_state.h"

namespace dm {

// Builds Destin/ExtBmp.bin. The final assembly calls it when the
// other-picture list (RunState::conversion.media.otherList, the cover
// picture included) is not empty. A member that cannot be read prints
// "No such file! <path>" to `out` and contributes no bytes.
void buildExtBmpImage(const WorkPaths& paths, std::ostream& out = std::cout);

}  // namespace dm
