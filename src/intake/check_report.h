// The check report: the error list as text lines, written as Destin/Drill.chk
// (UTF-16LE with mark, CR LF) and handed to the error-list window line by line.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "intake/error_list.h"

namespace dm {

// Receives each report line in order (the empty separator lines excluded);
// the error-list window fills its list with it.
using ReportLineSink = std::function<void(std::u16string_view line)>;

// The report lines of `errors` in order: the line section, then the picture,
// sound and summary sections, each of these three after an empty line.
// Empty for an empty list.
std::vector<std::u16string> checkReportLines(const ErrorList& errors);

// Writes the report of a non-empty list to `file` (when given: the mark, then
// every line with CR LF) and hands the non-empty lines to `sink` (when set).
// Does nothing for an empty list.
void writeCheckReport(const ErrorList& errors, std::ostream* file, const ReportLineSink& sink);

}  // namespace dm
