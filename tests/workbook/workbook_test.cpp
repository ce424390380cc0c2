#include "workbook/workbook.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "platform/failure.h"
#include "support/temp_dir.h"
#include "textio/wide_line.h"
#include "workbook/zip_package.h"
#include "zip_fixture.h"

namespace dm::workbook {
namespace {

namespace fs = std::filesystem;
using test::odsOf;
using test::xlsxOf;

const fs::path kData = DRILLMAKER_WORKBOOK_DATA;

// The lines of a UTF-16LE text with its mark, as UTF-8, each with its LF.
std::vector<std::string> linesOf(const std::string& wide) {
  std::u16string units;
  for (std::size_t i = 2; i + 1 < wide.size(); i += 2)
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(wide[i]) |
                                          static_cast<unsigned char>(wide[i + 1]) << 8));
  std::vector<std::string> lines;
  std::string all = utf16ToUtf8(units);
  std::size_t from = 0;
  while (from < all.size()) {
    std::size_t lf = all.find('\n', from);
    lf = lf == std::string::npos ? all.size() : lf + 1;
    lines.push_back(all.substr(from, lf - from));
    from = lf;
  }
  return lines;
}

// The workbooks of tools/make_workbook_fixtures.py, each saved by the
// spreadsheet program in both formats and exported by it as tab-separated
// UTF-16 text: the conversion must give that export byte for byte.
class ExportOracle : public testing::TestWithParam<std::string> {};

TEST_P(ExportOracle, ConversionEqualsTheSpreadsheetsOwnExport) {
  const fs::path workbook = kData / GetParam();
  const std::string expected = test::readFile(kData / (GetParam() + ".txt"));
  ASSERT_FALSE(expected.empty());
  const std::string converted = exportText(workbook, Options{});
  const std::vector<std::string> want = linesOf(expected), got = linesOf(converted);
  for (std::size_t k = 0; k < std::max(want.size(), got.size()); ++k)
    EXPECT_EQ(k < got.size() ? got[k] : "(none)", k < want.size() ? want[k] : "(none)") << "line " << k + 1;
  EXPECT_EQ(converted, expected);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ExportOracle,
                         testing::Values("strings.xlsx", "strings.ods", "numbers.xlsx", "numbers.ods", "edges.xlsx", "edges.ods",
                                         "styles.xlsx", "styles.ods", "drill.xlsx", "drill.ods"),
                         [](const auto& param) {
                           std::string name = param.param;
                           for (char& c : name)
                             if (c == '.') c = '_';
                           return name;
                         });

std::string utf16(const std::string& utf8) { return "\xFF\xFE" + test::utf16le(utf8); }

TEST(Xlsx, ReadsInlineStringsSharedStringsAndRowsByTheirNumbers) {
  const std::string rows =
      R"(<row r="1"><c r="A1" t="inlineStr"><is><t>inline</t></is></c><c r="C1" t="s"><v>1</v></c></row>)"
      R"(<row r="3"><c r="B3" t="s"><v>0</v></c></row>)";
  const std::string shared =
      R"(<si><t>first</t></si><si><r><t>ri</t></r><r><rPr><b/></rPr><t>ch</t></r>)"
      R"(<rPh sb="0" eb="1"><t>ふりがな</t></rPh></si>)";
  EXPECT_EQ(exportText(xlsxOf(rows, shared), Kind::Xlsx, "q.xlsx", Options{}),
            utf16("inline\t\trich\n\t\t\n\tfirst\t\n"));
}

TEST(Xlsx, CellStylesBecomeMarkupOnlyWhenAsked) {
  const std::string styles =
      R"(<fonts><font/><font><b/><color rgb="FFFF0000"/></font></fonts>)"
      R"(<cellXfs><xf numFmtId="0" fontId="0"/><xf numFmtId="0" fontId="1"/></cellXfs>)";
  const std::string rows =
      R"(<row r="1"><c r="A1" t="s" s="1"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s" s="1"><v>2</v></c>)"
      R"(<c r="D1" s="1"><v>5</v></c></row>)";
  const std::string shared =
      R"(<si><t>whole</t></si><si><r><t>a</t></r><r><rPr><i/><u/></rPr><t>b</t></r></si><si><t>&lt;B&gt;own&lt;/B&gt;</t></si>)";
  Options options;
  EXPECT_EQ(exportText(xlsxOf(rows, shared, styles), Kind::Xlsx, "q.xlsx", options),
            utf16("whole\tab\t<B>own</B>\t5\n"));
  options.cellStyles = true;
  EXPECT_EQ(exportText(xlsxOf(rows, shared, styles), Kind::Xlsx, "q.xlsx", options),
            utf16("\"<TC color=\"\"FF0000\"\"><B>whole</B></TC>\"\ta<I><U>b</U></I>\t<B>own</B>\t"
                  "\"<TC color=\"\"FF0000\"\"><B>5</B></TC>\"\n"));
}

TEST(Ods, RepeatedRowsAndCellsCountWithoutBeingExpanded) {
  const std::string body =
      R"(<table:table table:name="Q"><table:table-row table:number-rows-repeated="2"><table:table-cell/></table:table-row>)"
      R"(<table:table-row><table:table-cell table:number-columns-repeated="2"><text:p>x</text:p></table:table-cell>)"
      R"(<table:table-cell><text:p>a<text:s text:c="2"/>b</text:p><text:p>c</text:p>)"
      R"(<office:annotation><text:p>note</text:p></office:annotation></table:table-cell>)"
      R"(<table:table-cell table:number-columns-repeated="16000"/></table:table-row>)"
      R"(<table:table-row table:number-rows-repeated="1048570"><table:table-cell table:number-columns-repeated="1024"/></table:table-row>)"
      R"(</table:table><table:table table:name="Other"><table:table-row><table:table-cell><text:p>no</text:p></table:table-cell></table:table-row></table:table>)";
  EXPECT_EQ(exportText(odsOf(body), Kind::Ods, "q.ods", Options{}), utf16("\t\t\n\t\t\nx\tx\t\"a  b\nc\"\n"));
}

// What a user hands over that cannot be read: each ends the check with a
// message naming the workbook and what is wrong.
struct BadWorkbook {
  const char* name;
  std::string bytes;
  Kind kind;
  const char* message;
};

class BadWorkbooks : public testing::TestWithParam<BadWorkbook> {};

TEST_P(BadWorkbooks, FailWithAMessageForTheUser) {
  const BadWorkbook& bad = GetParam();
  try {
    exportText(bad.bytes, bad.kind, "q", Options{});
    FAIL() << "no failure";
  } catch (const PassFailure& failure) {
    EXPECT_NE(std::string(failure.what()).find(bad.message), std::string::npos) << failure.what();
    EXPECT_NE(std::string(failure.what()).find("workbook q "), std::string::npos) << failure.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadWorkbooks,
    testing::Values(
        BadWorkbook{"NoZip", "PK\x03\x04 not really a zip", Kind::Xlsx, "is no intact zip package"},
        BadWorkbook{"Encrypted", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'),
                    Kind::Xlsx, "is encrypted or protected by a password"},
        BadWorkbook{"EncryptedOds",
                    test::zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                 {"META-INF/manifest.xml", "<manifest:encryption-data/>"},
                                 {"content.xml", "garbage"}}),
                    Kind::Ods, "is encrypted or protected by a password"},
        BadWorkbook{"NoWorkbookPart", test::zipOf({{"a.txt", "a"}}), Kind::Xlsx, "has no xl/workbook.xml"},
        BadWorkbook{"NoSheet", test::zipOf({{"xl/workbook.xml", "<workbook><sheets/></workbook>"}}), Kind::Xlsx,
                    "has no sheet"},
        BadWorkbook{"NoTable", odsOf(""), Kind::Ods, "has no sheet"},
        BadWorkbook{"SharedStringOutOfRange",
                    xlsxOf(R"(<row r="2"><c r="C2" t="s"><v>7</v></c></row>)", "<si><t>only</t></si>"), Kind::Xlsx,
                    "the cell in row 2, column 3 refers to shared string 7, but the workbook holds 1"},
        BadWorkbook{"SharedStringsMissing", xlsxOf(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)"), Kind::Xlsx,
                    "refers to shared string 0, but the workbook holds 0"},
        BadWorkbook{"LastRowOfASheet",
                    xlsxOf(R"(<row r="1048576"><c r="A1048576" t="inlineStr"><is><t>x</t></is></c></row>)"),
                    Kind::Xlsx, "has a cell in row 1048576; drillmaker reads sheets of up to 100000 rows"},
        BadWorkbook{"RepeatedRowsPastTheLimit",
                    odsOf(R"(<table:table><table:table-row table:number-rows-repeated="1048576">)"
                          R"(<table:table-cell><text:p>x</text:p></table:table-cell></table:table-row></table:table>)"),
                    Kind::Ods, "has a cell in row 100001"},
        BadWorkbook{"BrokenXml", xlsxOf("<row><c>"), Kind::Xlsx, "is no well-formed XML"},
        BadWorkbook{"EntityExpansion",
                    test::zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                 {"content.xml", R"(<?xml version="1.0"?><!DOCTYPE d [<!ENTITY a "aaaaaaaaaa">)"
                                                 R"(<!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]><d>&b;</d>)"}}),
                    Kind::Ods, "its part content.xml declares entities"},
        BadWorkbook{"WideRowsPastTheSizeLimit",
                    odsOf(R"(<table:table><table:table-row table:number-rows-repeated="99999"><table:table-cell/></table:table-row>)"
                          R"(<table:table-row><table:table-cell table:number-columns-repeated="200"><text:p>x</text:p>)"
                          R"(</table:table-cell></table:table-row></table:table>)"),
                    Kind::Ods, "makes a text of more than 16777216 bytes"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ZipPackage, StopsUnpackingAtItsBudget) {
  const std::string bomb = test::zipOf({{"big", std::string(1 << 20, '\0')}});
  ASSERT_LT(bomb.size(), 8000u);
  ZipPackage package(std::string_view(bomb), "q.xlsx", 100000);
  try {
    package.readAll("big");
    FAIL() << "no failure";
  } catch (const PassFailure& failure) {
    EXPECT_NE(std::string(failure.what()).find("unpacks to more than 100000 bytes"), std::string::npos)
        << failure.what();
  }
}

}  // namespace
}  // namespace dm::workbook

namespace dm::workbook {
namespace {

TEST(CellStyles, BothFormatsOfTheStylesFixtureGiveTheSameMarkup) {
  Options options;
  options.cellStyles = true;
  const std::string want = utf16(
      "<B>bold cell</B>\t<I>italic cell</I>\t<U>underlined</U>\t\"<TC color=\"\"FF0000\"\">red text</TC>\"\n"
      "\"a <B>bold</B> b <TC color=\"\"FF0000\"\">red</TC>\"\t<B>kept</B>\t<U>x</U><I>y</I>\t\n");
  EXPECT_EQ(linesOf(exportText(kData / "styles.xlsx", options)), linesOf(want));
  EXPECT_EQ(linesOf(exportText(kData / "styles.ods", options)), linesOf(want));
}

}  // namespace
}  // namespace dm::workbook
