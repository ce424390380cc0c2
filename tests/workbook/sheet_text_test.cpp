#include "workbook/sheet_text.h"

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "support/temp_dir.h"

namespace dm::workbook {
namespace {

std::string utf16(const std::string& utf8) { return "\xFF\xFE" + test::utf16le(utf8); }

TEST(SheetText, PadsEveryRowToTheWidestAndQuotesOnlyWhereTheExportDoes) {
  SheetText sheet("q", 100, 1 << 20);
  sheet.cell(2, 1, "plain");
  sheet.cell(2, 3, "tab\there");
  sheet.cell(4, 2, "say \"hi\"");
  sheet.cell(4, 4, "two\nlines");
  sheet.cell(5, 1, "");  // an empty text is no cell
  EXPECT_EQ(sheet.exportText(),
            utf16("\t\t\t\nplain\t\t\"tab\there\"\t\n\t\t\t\n\t\"say \"\"hi\"\"\"\t\t\"two\nlines\"\n"));
}

// The limit is on the UTF-16 text: eight kana take 16 bytes there (24 in
// UTF-8); with the mark and the LF, 20.
TEST(SheetText, TheSizeLimitCountsTheUtf16Text) {
  SheetText fits("q", 10, 20);
  fits.cell(1, 1, "あいうえかきくけ");
  EXPECT_EQ(fits.exportText().size(), 20u);
  SheetText over("q", 10, 20);
  EXPECT_THROW(over.cell(1, 1, "あいうえかきくけ𠀋"), PassFailure) << "a character beyond U+FFFF takes 4 bytes";
}

TEST(SheetText, AnEmptySheetIsTheMarkAlone) { EXPECT_EQ(SheetText("q", 10, 100).exportText(), "\xFF\xFE"); }

}  // namespace
}  // namespace dm::workbook
