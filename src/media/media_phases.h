// Media phases of the build pass: sound packaging and bitmap conversion.
// The user's pictures are read with the picture codecs of src/pictures.
//
// The images they feed into the container are built by the build pass after
// them, before the final assembly: Font.bin (font_image.h) in every build,
// ExtBmp.bin (bitmap_ext_image.h) when the other-picture list is not empty.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "work/media_list.h"
#include "work/progress_sink.h"
#include "work/work_files.h"

namespace dm {

// Run-wide state of the media phases (RunState::mediaPhases).
struct MediaPhaseState {
  // Cover picture flag of the container header: 1 when the last successful
  // conversion of the cover picture reported a colour picture, 0 when it
  // reported a monochrome or grey one. The bitmap phase clears it before it
  // converts, so a failed conversion never carries an earlier run's value.
  std::uint8_t coverPictureFlag = 0;
};

// What the sound phase reads and writes.
struct SoundContext {
  const WorkPaths& paths;
  const MediaList& media;                        // the listed files
  const std::vector<std::u16string>& soundList;  // the sound registration of the conversion
  std::vector<std::string>& warnings;            // listed sounds that cannot be read any more
  ProgressSink& sink;                            // progress and messages
};

// What the bitmap phase reads and writes.
struct BitmapContext {
  const WorkPaths& paths;
  const MediaList& media;                             // the listed files
  const std::u16string& coverPicture;                 // of the settings line; empty when none
  const std::vector<std::u16string>& monochromeList;  // the picture registration of the conversion
  std::vector<std::u16string>& otherList;             // the colour pictures; the cover picture goes in front
  MediaPhaseState& phaseState;                        // takes the cover picture flag
  std::vector<std::string>& warnings;                 // listed pictures that cannot be read any more
  ProgressSink& sink;                                 // progress and messages
};

// Referenced sounds -> Middata/Sound/SndFile.lst, Destin/Sound/snd<n>.mp3 and
// Destin/Sound.bin (runs when soundPhase is set); sound_package.h holds its
// steps.
void buildSound(const SoundContext& context);
// Referenced pictures -> the picture tables in Middata/Bmp and Destin/Bmp and
// the colour picture store in Destin/BmpExt (runs when bitmapPhase is set);
// bitmap_phase.h holds its steps.
void buildBitmaps(const BitmapContext& context);

}  // namespace dm
