#include "media/media_phases.h"

#include "media/bitmap_phase.h"
#include "media/sound_package.h"

namespace dm {

void buildSound(const SoundContext& context) { sound::runSoundPhase(context); }

void buildBitmaps(const BitmapContext& context) { bitmap::runBitmapPhase(context); }

}  // namespace dm
