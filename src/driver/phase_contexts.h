// The narrow contexts of the phases, built from the run's state. Only the
// driver knows RunState; each phase sees just what its context holds.
#pragma once

#include <cstddef>

#include "container/container.h"
#include "conversion/conversion.h"
#include "driver/run_state.h"
#include "intake/intake.h"
#include "media/media_phases.h"

namespace dm {

// ---- Intake and conversion --------------------------------------------------

// The intake's view of the run: work paths, source text, listed media and
// totals, the intake state and the run's sink.
IntakeContext intakeContextOf(RunState& state);
// The conversion's view of the run: work paths, listed media, build options,
// the conversion state, the build's warnings and the run's sink.
ConversionContext conversionContextOf(RunState& state);

// The error list of the last check -> Destin/Drill.chk, each report line
// also handed to `lines` when set (the error-list window).
void writeCheckReport(RunState& state, const ReportLineSink& lines = ReportLineSink());
// The number of findings of the last check pass.
std::size_t countErrors(const RunState& state);

// ---- Media phases and the final assembly ------------------------------------

// The sound phase over the listed media and the conversion's sound list.
SoundContext soundContextOf(RunState& state);
// The bitmap phase over the listed media, the cover picture and the
// conversion's picture lists; it takes the cover picture flag and the
// warnings of the run.
BitmapContext bitmapContextOf(RunState& state);

// The header values that come from the run: the how-to-use flag of the
// record check, the entry count of the tag census, the menu location and
// cover picture of the settings line, the cover picture flag of the bitmap
// phase and the other-picture list of the media registration.
container::ContainerSettings containerSettingsOf(const RunState& state);
// The final assembly over the options, the parameter blocks and the
// container settings of the run as they stand when it is built.
AssemblyContext assemblyContextOf(const RunState& state);

}  // namespace dm
