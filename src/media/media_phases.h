// Media phases of the build pass: sound packaging and bitmap conversion.
// (The picture library that reads the user's pictures lives beside them.)
//
// The images they feed into the container are built later by the final
// assembly: Font.bin (font_image.h) in every build, ExtBmp.bin
// (bitmap_ext_image.h) when the other-picture list is not empty.
#pragma once

#include <cstdint>

namespace dm {

struct RunState;

// Run-wide state of the media phases (RunState::mediaPhases).
struct MediaPhaseState {
  // Cover picture flag of the container header: 1 when the last successful
  // conversion of the cover picture reported a colour picture, 0 when it
  // reported a monochrome or grey one. The bitmap phase clears it before it
  // converts, so a failed conversion never carries an earlier run's value.
  std::uint8_t coverPictureFlag = 0;
};

// Referenced sounds -> Middata/Sound/SndFile.lst, Destin/Sound/snd<n>.mp3 and
// Destin/Sound.bin (runs when soundPhase is set).
void buildSound(RunState& state);
// Referenced pictures -> the picture tables in Middata/Bmp and Destin/Bmp and
// the colour picture store in Destin/BmpExt (runs when bitmapPhase is set).
void buildBitmaps(RunState& state);

}  // namespace dm
