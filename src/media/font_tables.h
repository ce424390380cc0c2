// Layout of Font2.bin and Font.bin, and the readers of the picture tables
// that the font image takes its members from. The names of the files and of
// the tables are in work/work_files.h.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>

namespace dm::font {

namespace fs = std::filesystem;

inline constexpr std::uint32_t kNone = 0xFFFFFFFF;  // a slot without member
inline constexpr std::size_t kHeaderSize = 164;
inline constexpr std::size_t kRecordCount = 16;
inline constexpr std::size_t kRecordSize = 176;
inline constexpr std::size_t kDirectoryGap = 80;  // zero bytes after the records
inline constexpr std::size_t kMembersStart = kHeaderSize + kRecordCount * kRecordSize + kDirectoryGap;  // 3060
inline constexpr int kGroupCount = 12;
inline constexpr std::size_t kWrapperSize = 29;  // Font.bin prefix, also its data offset

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
