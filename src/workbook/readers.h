// The two readers behind exportText(): each fills a SheetText from the first
// sheet of its kind of package.
#pragma once

#include "workbook/sheet_text.h"
#include "workbook/workbook.h"
#include "workbook/zip_package.h"

namespace dm::workbook {

void readXlsx(ZipPackage& package, const Options& options, SheetText& sheet);
void readOds(ZipPackage& package, const Options& options, SheetText& sheet);

// The column number (from 1) of a cell reference such as "B3"; 0 when it
// has no letters. `row` receives its row number (0 when none).
std::uint32_t cellColumn(std::string_view reference, std::uint32_t& row);

}  // namespace dm::workbook
