// The work vocabulary: the records that the phases of a run share and that
// the driver owns, below every phase and above only textio and platform.
//
//   work_files.h      the work tree and the one catalogue of its file names
//   build_options.h   the build options and the component parameter blocks
//   media_list.h      the listed media, findMedia and their byte totals
//   limits.h          the size limits that more than one phase enforces
//   progress_sink.h   the one voice of a run: phase names, progress, log lines
//   media_warnings.h  the build's warnings about pictures and sounds it cannot read
#pragma once

#include "work/build_options.h"
#include "work/limits.h"
#include "work/media_list.h"
#include "work/progress_sink.h"
#include "work/work_files.h"
