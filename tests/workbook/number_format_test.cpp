#include "workbook/number_format.h"

#include <gtest/gtest.h>

namespace dm::workbook {
namespace {

struct Shown {
  double value;
  const char* code;
  const char* text;
};

// Values under the number formats a drill uses, as the spreadsheet shows them.
TEST(NumberFormat, ShowsValuesAsTheSpreadsheetDoes) {
  const Shown cases[] = {
      {42, "General", "42"},
      {0.1 + 0.2, "General", "0.3"},
      {1e-7, "General", "0.0000001"},
      {123456789012345, "General", "123456789012345"},
      {-1234567890123456, "General", "-1234567890123456"},
      {1e20, "General", "1E+020"},
      {1.5e-15, "General", "1.5E-15"},
      {123456.7890123456, "General", "123456.789012346"},
      {-0.5, "General", "-0.5"},
      {0, "General", "0"},
      {3.7, "0", "4"},
      {-2.5, "0", "-3"},
      {2.345, "0.00", "2.35"},
      {1234567.5, "#,##0.00", "1,234,567.50"},
      {0.256, "0%", "26%"},
      {0.1234, "0.00%", "12.34%"},
      {12345, "0.00E+00", "1.23E+04"},
      {-5, "#,##0;(#,##0)", "(5)"},
      {0, "0;-0;\"zero\"", "zero"},
      {1, "\"TRUE\";\"TRUE\";\"FALSE\"", "TRUE"},
      {36.5 / 24, "[h]:mm", "36:30"},
      {18.75 / 24, "h:mm", "18:45"},
      {157.0 / 86400, "mm:ss", "02:37"},
      {30.0 / 86400, "m:ss", "0:30"},
      {0.000347222222222222, "m:ss", "0:30"},
      {59.6 / 86400, "h:mm", "0:00"},
      {3599.964 / 86400, "h:mm:ss", "0:59:59"},
      {(12 * 3600 + 17 * 60 + 42) / 86400.0, "h:mm:ss", "12:17:42"},
      {(13 * 60 + 5) / 1440.0, "h:mm AM/PM", "1:05 PM"},
      {44971, "yyyy/mm/dd", "2023/02/14"},
      {36525, "mm/dd/yy", "12/31/99"},
      {44971, "d-mmm-yy", "14-Feb-23"},
      {44971.5, "yyyy/m/d h:mm", "2023/2/14 12:00"},
      {1, "[$-411]yyyy\"年\"m\"月\"d\"日\"", "1899年12月31日"},
  };
  for (const Shown& c : cases) EXPECT_EQ(formatNumber(c.value, c.code), c.text) << c.value << " as " << c.code;
}

TEST(NumberFormat, DatesOfAWorkbookCountingFrom1904) {
  EXPECT_EQ(formatNumber(43509, "yyyy/mm/dd", true), "2023/02/14");
  EXPECT_EQ(formatNumber(43509.5, "[h]:mm", true), "1044228:00") << "a duration does not move";
}

TEST(NumberFormat, BuiltInIds) {
  EXPECT_EQ(builtinFormatCode(0), "General");
  EXPECT_EQ(builtinFormatCode(20), "h:mm");
  EXPECT_EQ(builtinFormatCode(46), "[h]:mm:ss");
  EXPECT_EQ(builtinFormatCode(163), "General");
}

}  // namespace
}  // namespace dm::workbook
