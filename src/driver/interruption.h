// The end of a batch run by SIGINT or SIGTERM: the work files of the run go
// (with /d too: only a finished run keeps them), a message on standard error
// says so (on a terminal, in place of the progress line), and the process
// ends with 130 or 143.
#pragma once

#include <filesystem>

namespace dm {

namespace fs = std::filesystem;

// Starts the handling for the whole process. Call once at start-up, from
// the thread that runs the passes, before any other thread is started.
void handleInterruptions();

// While one lives, an interruption removes the work tree below its work
// base, files and folders (the next run makes the folders again). Made by
// the run that holds the lock of that base, so a run refused by the lock
// never touches another's files.
class WorkFilesAtStake {
 public:
  explicit WorkFilesAtStake(const fs::path& workBase);
  ~WorkFilesAtStake();
  WorkFilesAtStake(const WorkFilesAtStake&) = delete;
  WorkFilesAtStake& operator=(const WorkFilesAtStake&) = delete;
};

}  // namespace dm
