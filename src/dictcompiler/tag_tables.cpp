#include "dictcompiler/tag_tables.h"

namespace dm {

namespace {

constexpr TagDef kEntryTags[] = {
    {"START_BLOCK_Word", "a2", 1, 1, 0x00000001, 0, 0},
    {"END_BLOCK_Word", "a2", 1, 2, 0x00000001, 0, 0},
    {"START_BLOCK_Note", "a2", 2, 1, 0x00000001, 0, 0},
    {"END_BLOCK_Note", "a2", 2, 2, 0x00000001, 0, 0},
    {"START_BLOCK_GEN_EXT", "a2", 0, 0, 0x00000002, 0, 0},
    {"END_BLOCK_GEN_EXT", "a2", 0, 0, 0x00000002, 0, 0},
    {"HW", "a2", 0, 0, 0x00000141, 0, 0},
    {"DF_h", "a2", 0, 0, 0x00000041, 0, 0},
    {"DF_a", "a1", 0, 0, 0x00000001, 1, 4},
    {"DF_a_c0", "a1", 0, 0, 0x00000001, 4, 4},
    {"DF_c", "a5", 0, 0, 0x00000001, 1, 1},
    {"DF_c_c0", "a5", 0, 0, 0x00000001, 1, 1},
    {"DF_l", "a2", 0, 0, 0x00000001, 0, 0},
    {"DF_l_1", "a2", 0, 0, 0x00000001, 0, 0},
    {"DF_q", "a5", 0, 0, 0x00000001, 1, 1},
    {"DF_q_c0", "a5", 0, 0, 0x00000001, 1, 1},
    {"JUMP", "a1", 0, 0, 0x00002001, 0, 3},
    {"JUMP_c0", "a1", 0, 0, 0x00000001, 3, 3},
    {"DF_x", "a3", 0, 0, 0x00000001, 0, 0},
    {"DF_y", "a3", 0, 0, 0x00000001, 0, 0},
    {"BMP", "a4", 0, 0, 0x00000011, 0, 0},
    {"GEN_t", "a2", 0, 0, 0x40000002, 0, 0},
    {"LST", "a2", 0, 0, 0x00008002, 0, 0},
    {"DF_m", "a1", 0, 0, 0x00000001, 0, 0},
    {"DF_m_c0", "a1", 0, 0, 0x00000001, 0, 0},
};

constexpr TagDef kMenuLevels[] = {
    {"LV01", "m1", 0, 0, 0x00000001, 0, 0}, {"LV02", "m1", 0, 0, 0x00000001, 0, 0},
    {"LV03", "m1", 0, 0, 0x00000001, 0, 0}, {"LV04", "m1", 0, 0, 0x00000001, 0, 0},
    {"LV05", "m1", 0, 0, 0x00000001, 0, 0},
};

}  // namespace

std::span<const TagDef> entryTagTable() { return kEntryTags; }

std::span<const TagDef> menuTagTable(int levels) {
  if (levels < 3 || levels > 5) return {};
  return std::span<const TagDef>(kMenuLevels).first(static_cast<std::size_t>(levels));
}

const TagDef* findTagDef(std::span<const TagDef> table, std::string_view name) {
  for (const TagDef& d : table)
    if (name == d.name) return &d;
  return nullptr;
}

}  // namespace dm
