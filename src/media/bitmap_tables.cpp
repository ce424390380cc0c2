#include "media/bitmap_tables.h"

#include <cstdio>

namespace dm::bitmap {

std::string infoLine(int kind, std::uint32_t height, std::uint32_t width, std::uint32_t index) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%01X\t%03X\t%04X\t%08X\n", static_cast<unsigned>(kind), height, width, index);
  return buf;
}

}  // namespace dm::bitmap
