// The command line: `drillmaker FOLDER [/d]` runs both passes without a window
// and delivers into the current directory; --help and --version.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "driver/run_state.h"

namespace dm {

// The program's version, from the project's version in CMakeLists.txt.
inline constexpr const char* kVersion = DRILLMAKER_VERSION;

// Exit statuses of the batch mode.
namespace exitcode {
inline constexpr int kDone = 0;
inline constexpr int kPassFailed = 1;
inline constexpr int kCheckFailed = 2;  // pre-build check, folder or usage
inline constexpr int kLocked = 3;
}  // namespace exitcode

struct CommandLine {
  enum class Action { Window, Batch, Help, Version, Usage } action = Action::Window;
  bool keepWorkTree = false;  // "/d" or "/D"
  std::string folder;         // the folder argument of a batch run
  std::string problem;        // for Usage: what is wrong
};

// Reads the arguments after the program name.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string usageText();

struct BatchEnvironment {
  fs::path workBase;   // holds TempUsr and the lock file
  fs::path startDir;   // the current directory: folder base and delivery folder
  fs::path documents;  // measured by the second free-space test
  // Where the phases' log texts go, one per line; null: nowhere.
  std::ostream* log = nullptr;
};

// Runs a whole batch build of `folder` and returns its exit status. Status
// texts and failures go to `err`, the phases' log texts to env.log.
int runBatch(const CommandLine& command, const BatchEnvironment& env, std::ostream& err);

}  // namespace dm
