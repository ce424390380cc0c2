// Build driver and workspace: the work tree, the pre-build checks, the two
// passes in their fixed phase order, delivery, the file list and the batch
// command line. The window (src/ui) and the batch mode sit on top of this.
#pragma once

#include "driver/batch.h"
#include "driver/delivery.h"
#include "driver/file_list.h"
#include "driver/passes.h"
#include "driver/prebuild.h"
#include "driver/run_state.h"
#include "driver/work_tree.h"
