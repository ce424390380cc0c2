#include "driver/phase_contexts.h"

#include <algorithm>

namespace dm {

// ---- Intake and conversion --------------------------------------------------

IntakeContext intakeContextOf(RunState& state) {
  return IntakeContext{state.paths,  state.sourceTextPath, state.mediaList,         state.mediaTotals,
                       state.intake, state.progress(),     state.workbookCellStyles};
}

ConversionContext conversionContextOf(RunState& state) {
  return ConversionContext{state.paths,      state.mediaList, state.options,
                           state.conversion, state.warnings,  state.progress()};
}

void writeCheckReport(RunState& state, const ReportLineSink& lines) {
  writeCheckReport(intakeContextOf(state), lines);
}

std::size_t countErrors(const RunState& state) { return countErrors(state.intake); }

// ---- Media phases and the final assembly ------------------------------------

SoundContext soundContextOf(RunState& state) {
  return SoundContext{state.paths, state.mediaList, state.conversion.media.soundList, state.warnings,
                      state.progress()};
}

BitmapContext bitmapContextOf(RunState& state) {
  return BitmapContext{state.paths,
                       state.mediaList,
                       state.conversion.coverPicture,
                       state.conversion.media.monochromeList,
                       state.conversion.media.otherList,
                       state.mediaPhases,
                       state.warnings,
                       state.progress()};
}

container::ContainerSettings containerSettingsOf(const RunState& state) {
  container::ContainerSettings s;
  s.howToUsePresent = state.intake.howToUsePresent != 0;
  s.entryCount = state.entryCount;
  const auto& location = state.conversion.menuLocation;
  s.menuLocation.assign(location.begin(), std::find(location.begin(), location.end(), u'\0'));
  const std::u16string& cover = state.conversion.coverPicture;
  s.coverPictureListed = !cover.empty() && findMedia(state.mediaList, cover) != nullptr;
  s.coverPictureColour = state.mediaPhases.coverPictureFlag != 0;
  s.otherPicturesListed = !state.conversion.media.otherList.empty();
  return s;
}

AssemblyContext assemblyContextOf(const RunState& state) {
  return AssemblyContext{state.paths, state.options, state.params, containerSettingsOf(state), state.progress()};
}

}  // namespace dm
