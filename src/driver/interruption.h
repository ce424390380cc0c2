// The end of a batch run by SIGINT or SIGTERM: the work files of the run go
// (with /d too: only a finished run keeps them), a message says so, and the
// process ends with 130 or 143.
#pragma once

#include <filesystem>
#include <iosfwd>

namespace dm {

namespace fs = std::filesystem;

// Starts the handling for the whole process; messages go to `err`. Call
// once at start-up, before any other thread is started.
void handleInterruptions(std::ostream& err);

// While one lives, an interruption deletes the work files below its work
// base (as deleteWorkFiles does). Made by the run that holds the lock of
// that base, so a run refused by the lock never touches another's files.
class WorkFilesAtStake {
 public:
  explicit WorkFilesAtStake(const fs::path& workBase);
  ~WorkFilesAtStake();
  WorkFilesAtStake(const WorkFilesAtStake&) = delete;
  WorkFilesAtStake& operator=(const WorkFilesAtStake&) = delete;
};

}  // namespace dm
