// Source intake: turns the user's source text into the normalised UTF-16
// working copy, checks every record, markup and media reference, and writes
// the check report. These are the phases the check pass runs; the passes
// behind them work on streams (source_reader.h, line_normaliser.h,
// record_checker.h, check_report.h). The work files are named in
// work/work_files.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "intake/check_report.h"
#include "intake/intake_state.h"
#include "work/media_list.h"
#include "work/progress_sink.h"
#include "work/work_files.h"

namespace dm {

// What the intake phases read and write: the work tree, the user's source
// text, the listed media and their totals, the intake's own state and the
// sink for the phases' texts. The driver builds it from the run's state.
struct IntakeContext {
  const WorkPaths& paths;
  const std::filesystem::path& sourceText;
  const MediaList& mediaList;
  const MediaTotals& mediaTotals;
  IntakeState& intake;
  ProgressSink& sink;
  bool workbookCellStyles = false;  // a workbook source: its cells' styles become markup
};

// Source text -> Trash/Drill.uni (UTF-16LE, lines ending with CR LF);
// Trash/Drill_tsv.chk for a Shift-JIS source, each dropped code also logged
// to the sink. A workbook (.xlsx, .ods) is read as the text export of its
// first sheet. Records the encoding read in intake.sourceEncoding.
void convertSource(const IntakeContext& context);
// Trash/Drill.uni -> Trash/Drill_1.uni (one record per line).
void normaliseSource(const IntakeContext& context);
// Trash/Drill_1.uni -> Trash/Drill_2.uni and the error list; returns the
// number of accepted records.
std::uint32_t checkSource(const IntakeContext& context);
// The error list -> Destin/Drill.chk (nothing when the list is empty), also
// handing every report line to `lines` when set (the error-list window's
// list); when the file cannot be created only `lines` is fed.
void writeCheckReport(const IntakeContext& context, const ReportLineSink& lines = ReportLineSink());

}  // namespace dm
