// Layout checks of the component images a container carries.
#pragma once

#include <string_view>

#include "readback/readback.h"

namespace dm::readback {

// Adds one check line for the inner layout of `image` (the bytes of
// component `c`), and fills what the description takes from it.
void checkComponent(const Component& c, std::string_view image, Report& report);

}  // namespace dm::readback
