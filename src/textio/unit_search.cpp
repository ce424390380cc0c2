#include "textio/unit_search.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace dm {

std::size_t findUnit(std::u16string_view text, char16_t unit, std::size_t from) {
  if constexpr (std::endian::native != std::endian::little) {
    return text.find(unit, from);
  } else {
    if (from >= text.size()) return std::u16string_view::npos;
    // memchr finds the low byte; a hit counts when it is the low byte of a
    // unit (an even offset) whose high byte matches too.
    const char* bytes = reinterpret_cast<const char*>(text.data());
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    const std::size_t end = 2 * text.size();
    std::size_t at = 2 * from;
    while (at < end) {
      const void* hit = std::memchr(bytes + at, low, end - at);
      if (!hit) break;
      const std::size_t k = static_cast<std::size_t>(static_cast<const char*>(hit) - bytes);
      if (k % 2 == 0 && bytes[k + 1] == high) return k / 2;
      at = k + 1;
    }
    return std::u16string_view::npos;
  }
}

namespace {

// Units tested at once, without an early exit, so the compiler can compare
// them side by side.
constexpr std::size_t kBlock = 32;

}  // namespace

std::size_t findUnitAtMost(std::u16string_view text, char16_t limit, std::size_t from) {
  std::size_t i = from;
  const std::size_t n = text.size();
  const char16_t* p = text.data();
  for (; i + kBlock <= n; i += kBlock) {
    bool any = false;
    for (std::size_t k = 0; k < kBlock; ++k) any |= p[i + k] <= limit;
    if (any) break;
  }
  for (; i < n; ++i) {
    if (p[i] <= limit) return i;
  }
  return std::u16string_view::npos;
}

bool holdsUnitIn(std::u16string_view text, char16_t first, char16_t last) {
  const std::uint16_t width = static_cast<std::uint16_t>(last - first);
  const char16_t* p = text.data();
  std::size_t n = text.size();
  for (; n >= kBlock; n -= kBlock, p += kBlock) {
    bool any = false;
    for (std::size_t k = 0; k < kBlock; ++k) any |= static_cast<std::uint16_t>(p[k] - first) <= width;
    if (any) return true;
  }
  for (; n > 0; --n, ++p) {
    if (static_cast<std::uint16_t>(*p - first) <= width) return true;
  }
  return false;
}

}  // namespace dm
