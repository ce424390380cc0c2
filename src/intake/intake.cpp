#include "intake/intake.h"

#include <cerrno>
#include <fstream>
#include <sstream>

#include "intake/line_normaliser.h"
#include "intake/record_checker.h"
#include "intake/source_reader.h"
#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/background_output.h"
#include "textio/pass_io.h"
#include "textio/wide_line.h"
#include "work/limits.h"
#include "workbook/workbook.h"

namespace dm {

namespace fs = std::filesystem;

void convertSource(const IntakeContext& context) {
  if (workbook::isWorkbook(context.sourceText)) {
    workbook::Options options;
    options.cellStyles = context.workbookCellStyles;
    options.maxTextBytes = kMaxSourceBytes;
    std::istringstream text(workbook::exportText(context.sourceText, options));
    const fs::path to = workfiles::convertedSourcePath(context.paths);
    std::ofstream out = openPassOutput(to);
    std::ostringstream unused;
    convertSourceStream(text, out, unused);
    closePassOutput(out, to);
    context.intake.sourceEncoding = SourceEncoding::Workbook;
    return;
  }
  context.intake.sourceEncoding =
      convertSourceFile(context.sourceText, workfiles::convertedSourcePath(context.paths),
                        workfiles::conversionLogPath(context.paths), context.sink);
}

void normaliseSource(const IntakeContext& context) {
  const fs::path from = workfiles::convertedSourcePath(context.paths);
  const fs::path to = workfiles::normalisedSourcePath(context.paths);
  std::ifstream in = openPassInput(from);
  BackgroundOutput out(to);
  normaliseLines(in, out);
  out.close();
}

std::uint32_t checkSource(const IntakeContext& context) {
  const fs::path from = workfiles::normalisedSourcePath(context.paths);
  const fs::path to = workfiles::checkedSourcePath(context.paths);
  std::ifstream in = openPassInput(from);
  BackgroundOutput out(to);
  CheckContext check;
  check.mediaList = &context.mediaList;
  check.mediaTotals = context.mediaTotals;
  check.sourceName = utf8ToUtf16(context.sourceText.filename().string());
  const std::uint32_t accepted = checkRecords(context.intake, check, in, out);
  out.close();
  return accepted;
}

void writeCheckReport(const IntakeContext& context, const ReportLineSink& lines) {
  const ErrorList& errors = context.intake.errors;
  if (errors.empty()) return;
  std::ofstream file(workfiles::checkReportPath(context.paths), std::ios::binary | std::ios::trunc);
  writeCheckReport(errors, file ? &file : nullptr, lines);
}

}  // namespace dm
