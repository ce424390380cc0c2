// printf-style formatting into a string: the fixed-width numbers and columns
// of the work files, the tables and the logs. The one place that formats
// with the C library; nothing here writes anywhere.
#pragma once

#include <cstdarg>
#include <string>

namespace dm {

// The text that std::printf would print for `format` and its arguments.
std::string formatted(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The same over a va_list (which it leaves untouched for the caller's va_end).
std::string formattedList(const char* format, va_list args);

}  // namespace dm
