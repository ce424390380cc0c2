// The two passes of a run. The check pass prepares the work tree, converts
// the source and checks every record; the build pass runs the conversion,
// the compile, the optional menu, sound and bitmap phases and the final
// assembly, strictly in that order. Each pass is one failure boundary: any
// exception in a phase becomes status 1040 with its text.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "driver/phase_contexts.h"
#include "driver/run_state.h"

namespace dm {

// The names the passes give their phases (ProgressSink::phase), in the
// order they run. The menu, sound, picture and colour picture phases run
// only when the drill has them.
namespace phasename {
inline constexpr const char* kPrepare = "preparing the work folder";
inline constexpr const char* kReadSource = "reading the source text";
inline constexpr const char* kNormalise = "normalising the records";
inline constexpr const char* kCheck = "checking the records";
inline constexpr const char* kConvert = "converting the entries";
inline constexpr const char* kTagCensus = "counting the tags";
inline constexpr const char* kCompile = "compiling the dictionary";
inline constexpr const char* kMenuIndex = "converting the menu index";
inline constexpr const char* kMenuCompile = "compiling the menu";
inline constexpr const char* kSounds = "packaging the sounds";
inline constexpr const char* kPictures = "converting the pictures";
inline constexpr const char* kFont = "building the font image";
inline constexpr const char* kColourPictures = "building the colour picture image";
inline constexpr const char* kAssemble = "assembling the drill";
}  // namespace phasename

struct PassResult {
  bool ok = false;          // false: the pass failed and sent status 1040
  std::string failureText;  // the failure's text when !ok
};

// Runs the check pass on the calling thread. A source larger than
// kMaxSourceBytes fails the pass with a message saying so. On success state.validRecordCount
// holds the number of accepted records; in window use (not batchMode) it
// sends status 180 at its end.
PassResult CheckPass(RunState& state);

// Runs the build pass on the calling thread. In window use it sends status
// 1022 at its end; in batch mode the caller delivers.
PassResult BuildPass(RunState& state);

// Reads Middata/Source/Drill.cln: counts the entries into state.entryCount
// and appends the distinct tags, in code-unit order, to state.tagList.
void TagCensus(RunState& state);
// The same over a stream holding the file's bytes (mark included).
void TagCensus(std::istream& cln, RunState& state);

}  // namespace dm
