// Source intake: turns the user's source text into the normalised UTF-16
// working copy, checks every record, markup and media reference, and writes
// the check report. These are the phases the check pass runs; the passes
// behind them work on streams (source_reader.h, line_normaliser.h,
// record_checker.h, check_report.h).
#pragma once

#include "intake/check_report.h"

namespace dm {

struct RunState;

// Work files of the intake, named after the internal name "Drill".
namespace intakefiles {
inline constexpr const char* kConverted = "Drill.uni";       // Trash: UTF-16 copy of the source
inline constexpr const char* kNormalised = "Drill_1.uni";    // Trash: one record per line
inline constexpr const char* kChecked = "Drill_2.uni";       // Trash: accepted lines
inline constexpr const char* kConversionLog = "Drill_tsv.chk";  // Trash: codes without a conversion
inline constexpr const char* kCheckReport = "Drill.chk";     // Destin: the check report
}  // namespace intakefiles

// Source text -> Trash/Drill.uni (UTF-16LE, lines ending with CR LF);
// Trash/Drill_tsv.chk for a Shift-JIS source. Records the encoding read in
// state.intake.sourceEncoding.
void convertSource(RunState& state);
// Trash/Drill.uni -> Trash/Drill_1.uni (one record per line).
void normaliseSource(RunState& state);
// Trash/Drill_1.uni -> Trash/Drill_2.uni, the error list, validRecordCount.
void checkSource(RunState& state);
// The error list -> Destin/Drill.chk (nothing when the list is empty).
void writeCheckReport(RunState& state);
// The same, also handing every report line to `sink` (the error-list
// window's list); when the file cannot be created only the sink is fed.
void writeCheckReport(RunState& state, const ReportLineSink& sink);
// The number of findings of the last check pass.
std::size_t countErrors(const RunState& state);

}  // namespace dm
