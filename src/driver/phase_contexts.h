// The narrow contexts of the phases, built from the run state. Only the
// driver knows the whole RunState; each phase sees what its context holds.
#pragma once

#include "container/container.h"
#include "driver/run_state.h"
#include "media/media_phases.h"

namespace dm {

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
