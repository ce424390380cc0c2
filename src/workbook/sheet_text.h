// The text of one sheet as the spreadsheet's tab-separated Unicode text
// export writes it: UTF-16LE with its mark, one line per row from the first
// row to the last row holding a cell, each line as many fields as the widest
// row, fields separated by TAB, lines ended by LF; a field holding a TAB, a
// double quote or a line break is quoted, its quotes doubled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dm::workbook {

class SheetText {
 public:
  // `label` names the workbook in messages; `maxRows` is the last row that
  // may hold a cell; `maxBytes` the largest text (mark included).
  SheetText(std::string label, std::uint32_t maxRows, std::uint64_t maxBytes);

  // The shown text (UTF-8) of the cell in `row` and `column` (both from 1).
  // Cells come row by row, left to right. An empty text adds nothing.
  // Throws PassFailure beyond the row limit or when the text would pass the
  // size limit.
  void cell(std::uint32_t row, std::uint32_t column, const std::string& text);

  // The whole text. Throws PassFailure when it passes the size limit.
  std::string exportText() const;

  std::uint32_t rows() const { return rows_.empty() ? 0 : rows_.back().row; }
  std::uint32_t width() const { return width_; }

 private:
  struct Row {
    std::uint32_t row;
    std::vector<std::string> cells;  // columns 1.. up to the last one with text
  };
  void tooLarge() const;

  std::string label_;
  std::uint32_t maxRows_;
  std::uint64_t maxBytes_;
  std::vector<Row> rows_;
  std::uint32_t width_ = 0;
  std::uint64_t textBytes_ = 2;  // the mark, then the UTF-16 bytes of the cells so far
};

}  // namespace dm::workbook
