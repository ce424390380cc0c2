#include "media/media_phases.h"

#include "driver/run_state.h"
#include "media/bitmap_phase.h"
#include "media/sound_package.h"

namespace dm {

void buildSound(RunState& state) { sound::runSoundPhase(state); }

void buildBitmaps(RunState& state) { bitmap::runBitmapPhase(state); }

}  // namespace dm
