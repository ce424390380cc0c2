#include "media/bitmap_tables.h"
#include "textio/format.h"

#include <cstdio>

namespace dm::bitmap {

std::string infoLine(int kind, std::uint32_t height, std::uint32_t width, std::uint32_t index) {
  return formatted("%01X\t%03X\t%04X\t%08X\n", static_cast<unsigned>(kind), height, width, index);
}

}  // namespace dm::bitmap
