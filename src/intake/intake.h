// Source intake: turns the user's source text into the normalised UTF-16
// working copy, checks every record, markup and media reference, and writes
// the check report.
#pragma once

namespace dm {

struct RunState;

// Source text -> Trash/Drill.uni (UTF-16LE).
void convertSource(RunState& state);
// Trash/Drill.uni -> Trash/Drill_1.uni (one record per line).
void normaliseSource(RunState& state);
// Trash/Drill_1.uni -> Trash/Drill_2.uni, the error list, validRecordCount.
void checkSource(RunState& state);
// The error list -> Destin/Drill.chk.
void writeCheckReport(RunState& state);

}  // namespace dm
