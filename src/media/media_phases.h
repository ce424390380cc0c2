// Media phases of the build pass: sound packaging and bitmap conversion.
// (The picture library that reads the user's pictures lives beside them.)
#pragma once

namespace dm {

struct RunState;

// Referenced sounds -> the sound component files (runs when soundPhase is set).
void buildSound(RunState& state);
// Referenced pictures -> the bitmap component files (runs when bitmapPhase is set).
void buildBitmaps(RunState& state);

}  // namespace dm
