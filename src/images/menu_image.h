// Menu.bin: the menu's TagRule.bin, the menu's decoding tables, a parameter
// block, the 30-slot component directory, the library directory and the
// data of the menu compile. The components and their slots are
// workfiles::kMenuSlotNames.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "work/progress_sink.h"

namespace dm {

namespace fs = std::filesystem;

struct MenuParams;

inline constexpr std::uint32_t kMenuParamBlockBytes = 88;

// The menu image parameters, taken from the menu block.
struct MenuImageParams {
  std::uint8_t levelWidth = 1;
  std::uint8_t typeWidth = 1;
  std::uint8_t linkWidth = 8;
  std::uint8_t fourth = 8;
  std::uint8_t addressWriterType = 2;

  static MenuImageParams from(const MenuParams& block);
};

// Line counts of the optional menu files that the parameter block carries.
struct MenuLineCounts {
  std::uint32_t items = 0;        // menu_item.add
  std::uint32_t wdIdx = 0;        // wd_idx.dat
  std::uint32_t wordType = 0;     // word_type.dat
  std::uint32_t wdSpell = 0;      // wd_spell.mrk
  std::uint32_t classify = 0;     // Classify.iex
  std::uint32_t menuSpeed = 0;    // Menu_Speed.lv1 (stored in 16 bits)
};

// The 88-byte parameter block.
std::string menuParamBlock(const MenuImageParams& params, std::uint32_t blockRecord, const MenuLineCounts& counts);

// Builds <menuDir>/TagRule.bin (from menu_tag.h and dict.h, no rules) and
// then <menuDir>/Menu.bin. Missing components leave their slots empty;
// missing library files leave their entries zero and are logged as "No find
// file:<path>". Throws PassFailure "can't create file <image>"
// when TagRule.bin or Menu.bin cannot be created or written.
void BuildMenuImage(const fs::path& menuDir, const MenuImageParams& params, ProgressSink& sink);

}  // namespace dm
