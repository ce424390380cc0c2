// Workbooks as drill sources: the first sheet of an Office Open XML (.xlsx)
// or OpenDocument (.ods) workbook turned into the text the spreadsheet's own
// tab-separated Unicode text export gives, so that it goes through the same
// check and build as an exported source.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace dm::workbook {

// The most bytes a workbook may unpack to, all its parts together: far more
// than the XML of the largest accepted source, and a bound for zip bombs.
inline constexpr std::uint64_t kMaxUnpackedBytes = 256ull * 1024 * 1024;
// The last row of the first sheet that may hold a cell.
inline constexpr std::uint32_t kMaxRows = 100000;

enum class Kind { None, Xlsx, Ods };

// The kind by the file name's extension (".xlsx", ".ods", in any case).
Kind kindOf(const std::filesystem::path& path);
inline bool isWorkbook(const std::filesystem::path& path) { return kindOf(path) != Kind::None; }

struct Options {
  // Bold, italic, underline and the font colour of the cells' text become
  // <B>, <I>, <U> and <TC color="RRGGBB"> markup, where a cell's text has
  // no markup of its own.
  bool cellStyles = false;
  std::uint64_t maxTextBytes = 16u * 1024 * 1024;
};

// The text of the first sheet of the workbook at `path` (UTF-16LE with its
// mark, lines ending with LF), as SheetText describes it. Throws PassFailure
// with a message for the user when the workbook is encrypted, damaged, has
// no sheet, refers to a shared string it does not hold, or passes a limit.
std::string exportText(const std::filesystem::path& path, const Options& options);

// The same over a workbook held in memory; `label` names it in messages.
std::string exportText(std::string_view bytes, Kind kind, const std::string& label, const Options& options);

}  // namespace dm::workbook
