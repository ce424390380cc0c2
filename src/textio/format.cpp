#include "textio/format.h"

#include <cstdio>

namespace dm {

std::string formattedList(const char* format, va_list args) {
  char small[256];
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(small, sizeof small, format, again);
  va_end(again);
  if (n < 0) return {};
  if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
  std::string big(static_cast<std::size_t>(n) + 1, '\0');
  va_copy(again, args);
  std::vsnprintf(big.data(), big.size(), format, again);
  va_end(again);
  big.resize(static_cast<std::size_t>(n));
  return big;
}

std::string formatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = formattedList(format, args);
  va_end(args);
  return text;
}

}  // namespace dm
