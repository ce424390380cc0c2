// The build options that the conversion sets and the later phases read, and
// the component parameter blocks written into the container.
#pragma once

#include <array>
#include <cstdint>

namespace dm {

struct BuildOptions {
  std::uint8_t soundPhase = 0;
  std::uint8_t bitmapPhase = 0;
  std::uint8_t menuPhase = 0;
  std::uint8_t linkNumberWidth = 8;
  std::uint8_t entryNumberWidth = 8;
  std::uint8_t subNumberWidth = 4;
  std::array<std::uint8_t, 4> romWidths{2, 0, 0, 0};
};

// The menu block: present flag, then level width, type width, link width and
// five more bytes.
struct MenuParams {
  std::uint8_t present = 0;
  std::array<std::uint8_t, 8> bytes{1, 1, 8, 8, 2, 0, 0, 0};
};

// The bitmap block: present flag, nine bytes (grouping value, ..., code width,
// colour-table switch, nibble-swap switch, per-class switch), two 32-bit
// values and a last byte.
struct BitmapParams {
  std::uint8_t present = 0;
  std::array<std::uint8_t, 9> bytes{5, 8, 4, 4, 6, 1, 0, 1, 1};
  std::uint32_t value1 = 0;
  std::uint32_t value2 = 512;
  std::uint8_t last = 8;
};

struct ComponentParams {
  MenuParams menu;
  BitmapParams bitmap;
};

}  // namespace dm
