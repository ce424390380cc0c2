// The narrow contexts of the phases, built from the run's state. Only the
// driver knows RunState; each phase sees just what its context holds.
#pragma once

#include <cstddef>

#include "conversion/conversion.h"
#include "driver/run_state.h"
#include "intake/intake.h"

namespace dm {

// ---- Intake and conversion --------------------------------------------------

// The intake's view of the run: work paths, source text, listed media and
// totals, the intake state and the run's sink.
IntakeContext intakeContext(RunState& state);
// The conversion's view of the run: work paths, listed media, build options,
// the conversion state, the build's warnings and the run's sink.
ConversionContext conversionContext(RunState& state);

// The error list of the last check -> Destin/Drill.chk, each report line
// also handed to `lines` when set (the error-list window).
void writeCheckReport(RunState& state, const ReportLineSink& lines = ReportLineSink());
// The number of findings of the last check pass.
std::size_t countErrors(const RunState& state);

}  // namespace dm
