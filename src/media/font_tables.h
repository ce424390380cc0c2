// Layout of Font2.bin and Font.bin, and the readers of the picture tables
// that the font image takes its members from.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>

namespace dm::font {

namespace fs = std::filesystem;

inline constexpr const char* kFontDirectoryFile = "Font2.bin";  // in Trash
inline constexpr const char* kFontImageFile = "Font.bin";       // in Destin

inline constexpr std::uint32_t kNone = 0xFFFFFFFF;  // a slot without member
inline constexpr std::size_t kHeaderSize = 164;
inline constexpr std::size_t kRecordCount = 16;
inline constexpr std::size_t kRecordSize = 176;
inline constexpr std::size_t kDirectoryGap = 80;  // zero bytes after the records
inline constexpr std::size_t kMembersStart = kHeaderSize + kRecordCount * kRecordSize + kDirectoryGap;  // 3060
inline constexpr int kGroupCount = 12;
inline constexpr std::size_t kWrapperSize = 29;  // Font.bin prefix, also its data offset

// The tables of Destin/Bmp converted to bytes before the directory is
// written; the names that this program never writes are looked for all the
// same.
inline constexpr const char* kPictureTables[] = {
    "bitmap.inf",        "bitmap_clr_2.add",  "bitmap_clr_2.hex",  "bitmap_mono_2.add", "bitmap_mono_2.hex",
    "bitmap_clr_4.add",  "bitmap_clr_4.hex",  "bitmap_mono_4.add", "bitmap_mono_4.hex", "bitmap_clr_3.add",
    "bitmap_clr_3.cod",  "bitmap_clr_3.dic",  "bitmap_clr_3.h",    "bitmap_mono_3.add", "bitmap_mono_3.cod",
    "bitmap_mono_3.dic", "bitmap_mono_3.h",   "bitmap_clr_5.add",  "bitmap_clr_5.cod",  "bitmap_clr_5.dic",
    "bitmap_clr_5.h",    "bitmap_mono_5.add", "bitmap_mono_5.cod", "bitmap_mono_5.dic", "bitmap_mono_5.h",
    "bitmap_clr_6.add",  "bitmap_clr_6.dic"};

// What the three slots of a table group of record 0 hold.
enum class GroupKind {
  kEmpty,   // 0xFFFFFFFF, 0xFFFFFFFF, 0
  kRaw,     // .hex, .add, 0
  kSymbol,  // .dic, .add, symbol table header; then the .cod without a slot
};

inline GroupKind groupKind(int g) {
  switch (g) {
    case 2: case 4: case 8: return GroupKind::kRaw;
    case 3: case 5: case 6: case 9: return GroupKind::kSymbol;
    default: return GroupKind::kEmpty;
  }
}

// The table base name of a group ("bitmap_clr_<g>", "bitmap_mono_2" for 8,
// "bitmap_mono_3" for 9).
inline std::string groupTable(int g) {
  if (g == 8) return "bitmap_mono_2";
  if (g == 9) return "bitmap_mono_3";
  return "bitmap_clr_" + std::to_string(g);
}

// Lines of a text file (a last line without line end counts); 0 when the
// file cannot be opened.
std::uint32_t countLines(const fs::path& path);

// The symbol table header member of a table: 16 bytes (bytes per value and
// number of values of the first "0x" group of the .h, bytes per value of the
// second, code width - 2, the .cod line count, 2, zeros) followed by every
// "0x" value of the .h, little-endian, (digits + 1) / 2 bytes each.
std::optional<std::string> symbolTableHeader(std::istream& h, std::uint32_t codLines);
// The same from the files; nothing when either cannot be opened.
std::optional<std::string> symbolTableHeader(const fs::path& h, const fs::path& cod);

}  // namespace dm::font
