// The text a spreadsheet shows for a number under a number format code of an
// Office Open XML workbook, as its tab-separated text export writes it.
#pragma once

#include <string>
#include <string_view>

namespace dm::workbook {

// The format code of a built-in number format id (0 to 49), "General" for an
// id without one. Id 14, the short date of the user's locale, is taken as
// "mm/dd/yy", as the export writes it in the default (English) locale.
std::string builtinFormatCode(unsigned id);

// The General format: a whole number below 10^16 with all its digits;
// anything else with up to 15 significant digits without trailing zeros,
// with an exponent ("1.5E+020", "1E-15") when the exponent is 15 or more
// or -15 or less.
std::string generalNumber(double value);

// `value` shown under the format code `code` (sections for positive,
// negative, zero; digit placeholders 0 # ?, decimal point, grouping comma,
// percent, exponent; quoted and escaped literals; dates and times with y m d
// h s, [h] [m] [s] elapsed, AM/PM, the seconds cut rather than rounded;
// colours, locales and conditions are skipped). A code it does not know falls back to the General format.
// `date1904`: the workbook counts its dates from 1904-01-01 (serial 0), not
// from 1899-12-30.
std::string formatNumber(double value, std::string_view code, bool date1904 = false);

}  // namespace dm::workbook
