#include "media/media_phases.h"

#include "driver/run_state.h"

namespace dm {

// Not built yet: the build pass runs these as empty phases.
void buildSound(RunState&) {}
void buildBitmaps(RunState&) {}

}  // namespace dm
