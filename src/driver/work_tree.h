// The work tree under <work base>/TempUsr, the names of the delivered files,
// and the deletion of the work files after a run.
#pragma once

#include <filesystem>
#include <string>

#include "driver/run_state.h"

namespace dm {

// Sets the work paths from state.workBase and ensures every folder of the
// tree in its fixed order: a missing folder is created, an existing one loses
// the files directly inside it (its sub-folders stay). A TempUsr or work
// folder that is a symbolic link is replaced by a real folder, never
// written through. Creation failures are not reported here: the first phase
// that cannot open its file fails.
void prepareWorkTree(RunState& state);

// The first folder of a prepared work tree that the run cannot write in.
struct WorkTreeProblem {
  fs::path folder;  // empty when every folder can be written
  int error = 0;    // errno: ENOTDIR, ENOENT, EACCES, EROFS, ...
  explicit operator bool() const { return !folder.empty(); }
};

// Checks, after prepareWorkTree, that every folder of the tree is a real
// folder this process may create files in.
WorkTreeProblem checkWorkTree(const WorkPaths& paths);

// Deletes every file below the work root; folders stay for the next run.
// Never follows symbolic links; does nothing when the root is not a folder
// inside the work base.
void deleteWorkFiles(const RunState& state);

// The file name of the source after its last '/', cut at its last '.'.
std::string sourceName(const fs::path& sourceTextPath);

// "<folder>/<source name>.drl" and "<folder>/error-<source name>.txt".
fs::path deliveredContainerPath(const fs::path& folder, const std::string& sourceName);
fs::path deliveredReportPath(const fs::path& folder, const std::string& sourceName);

// Destin/Drill.bin and Destin/Drill.chk.
fs::path workContainerPath(const RunState& state);
fs::path workReportPath(const RunState& state);

}  // namespace dm
