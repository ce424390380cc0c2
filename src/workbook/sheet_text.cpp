#include "workbook/sheet_text.h"

#include "platform/failure.h"
#include "textio/wide_line.h"

namespace dm::workbook {

SheetText::SheetText(std::string label, std::uint32_t maxRows, std::uint64_t maxBytes)
    : label_(std::move(label)), maxRows_(maxRows), maxBytes_(maxBytes) {}

void SheetText::tooLarge() const {
  throw PassFailure("The first sheet of the workbook " + label_ + " makes a text of more than " +
                    std::to_string(maxBytes_) + " bytes; the largest source drillmaker accepts has " +
                    std::to_string(maxBytes_) + " bytes (" + std::to_string(maxBytes_ >> 20) +
                    " MiB). Split the drill into smaller ones.");
}

void SheetText::cell(std::uint32_t row, std::uint32_t column, const std::string& text) {
  if (text.empty() || row == 0 || column == 0) return;
  if (row > maxRows_)
    throw PassFailure("The first sheet of the workbook " + label_ + " has a cell in row " + std::to_string(row) +
                      "; drillmaker reads sheets of up to " + std::to_string(maxRows_) + " rows.");
  // The cell's UTF-16 bytes (before quoting), so that memory stays in step
  // with the limit: a character takes one unit, or two from four UTF-8 bytes.
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80) textBytes_ += byte >= 0xF0 ? 4 : 2;
  }
  if (textBytes_ > maxBytes_) tooLarge();
  if (rows_.empty() || rows_.back().row < row) rows_.push_back(Row{row, {}});
  std::vector<std::string>& cells = rows_.back().cells;
  if (cells.size() < column) cells.resize(column);
  cells[column - 1] = text;
  if (column > width_) width_ = column;
}

namespace {

bool needsQuotes(const std::string& text) { return text.find_first_of("\t\"\n\r") != std::string::npos; }

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

void appendUtf16(std::string& out, const std::string& utf8) {
  for (char16_t unit : utf8ToUtf16(utf8)) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  }
}

}  // namespace

std::string SheetText::exportText() const {
  // TABs and line ends alone: (width - 1) TABs and one LF per row, 2 bytes each.
  const std::uint64_t frame = 2 + 2ull * rows() * (width_ == 0 ? 1 : width_);
  if (frame > maxBytes_) tooLarge();
  std::string out("\xFF\xFE", 2);
  std::string line;
  std::uint32_t next = 1;
  const std::string emptyLine = std::string(width_ == 0 ? 0 : width_ - 1, '\t') + '\n';
  for (const Row& row : rows_) {
    for (; next < row.row; ++next) appendUtf16(out, emptyLine);
    line.clear();
    for (std::uint32_t c = 0; c < width_; ++c) {
      if (c > 0) line.push_back('\t');
      if (c < row.cells.size()) line += needsQuotes(row.cells[c]) ? quoted(row.cells[c]) : row.cells[c];
    }
    line.push_back('\n');
    appendUtf16(out, line);
    if (out.size() > maxBytes_) tooLarge();
    next = row.row + 1;
  }
  return out;
}

}  // namespace dm::workbook
