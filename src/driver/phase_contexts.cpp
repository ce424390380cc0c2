#include "driver/phase_contexts.h"

namespace dm {

// ---- Intake and conversion --------------------------------------------------

IntakeContext intakeContext(RunState& state) {
  return IntakeContext{state.paths,       state.sourceTextPath, state.mediaList,
                       state.mediaTotals, state.intake,         state.progress()};
}

ConversionContext conversionContext(RunState& state) {
  return ConversionContext{state.paths,      state.mediaList, state.options,
                           state.conversion, state.warnings,  state.progress()};
}

void writeCheckReport(RunState& state, const ReportLineSink& lines) {
  writeCheckReport(intakeContext(state), lines);
}

std::size_t countErrors(const RunState& state) { return countErrors(state.intake); }

}  // namespace dm
