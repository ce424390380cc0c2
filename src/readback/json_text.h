// JSON text of the read-back's reports.
#pragma once

#include <string>
#include <string_view>

namespace dm::readback {

// `s` (UTF-8) as a quoted JSON string.
std::string jsonString(std::string_view s);

}  // namespace dm::readback
