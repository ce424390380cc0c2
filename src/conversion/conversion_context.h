// What the entry conversion reads and writes besides its stage files: the
// work tree, the listed media, the build options it sets, its own state,
// the build's warnings and the sink for its texts. The driver builds it
// from the run's state; tests build it over their own parts.
#pragma once

#include <string>
#include <vector>

#include "conversion/conversion_state.h"
#include "work/build_options.h"
#include "work/media_list.h"
#include "work/progress_sink.h"
#include "work/work_files.h"

namespace dm {

struct ConversionContext {
  const WorkPaths& paths;
  const MediaList& mediaList;
  BuildOptions& options;          // soundPhase, bitmapPhase, menuPhase
  ConversionState& conversion;    // media registration, settings, menu depth
  std::vector<std::string>& warnings;  // pictures listed but unreadable at the build
  ProgressSink& sink;
};

}  // namespace dm
