// The command line: `drillmaker [OPTIONS] FOLDER` runs both passes without a
// window and delivers into the current directory; `drillmaker --window
// [FILE|FOLDER...]` opens the window with those files; --help and --version.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "driver/run_state.h"

namespace dm {

// The program's version, from the project's version in CMakeLists.txt.
inline constexpr const char* kVersion = DRILLMAKER_VERSION;

// The batch run's log file in the work base: every phase name, log text and
// message of the last run.
inline constexpr const char* kBatchLogName = "drillmaker.log";

// Exit statuses of the batch mode.
namespace exitcode {
inline constexpr int kDone = 0;
inline constexpr int kPassFailed = 1;
inline constexpr int kCheckFailed = 2;  // pre-build check, folder or usage
inline constexpr int kLocked = 3;
inline constexpr int kFindings = 4;  // with --strict: delivered, but the check reported findings
}  // namespace exitcode

struct CommandLine {
  enum class Action { Window, Batch, Help, Version, Usage } action = Action::Window;
  bool keepWorkTree = false;  // "/d", "/D", "-d" or "--keep-work"
  bool quiet = false;         // -q: no progress on standard error
  bool verbose = false;       // -v: the phases' log texts on standard error too
  bool strict = false;        // --strict: findings end the run with exitcode::kFindings
  bool cellStyles = false;    // --cell-styles: a workbook's bold, italic, underline and colours become markup
  std::string folder;         // the folder argument of a batch run
  std::vector<std::string> paths;  // with --window: the files and folders the list starts with
  std::string problem;        // for Usage: what is wrong, one line without its end
};

// Reads the arguments after the program name. Options take the usual forms
// (short ones may be combined, "--" ends them); an unknown option, a second
// folder or a batch option without a folder is a Usage problem. With
// --window every operand is one of `paths` and the action is Window, never
// Batch; the batch options (-q, -v, --strict) are then a Usage problem.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string usageText();

struct BatchEnvironment {
  fs::path workBase;   // holds TempUsr and the lock file
  fs::path startDir;   // the current directory: folder base and delivery folder
  fs::path documents;  // measured by the second free-space test
  // Where the run's one summary line goes; null: nowhere.
  std::ostream* out = nullptr;
  // The standard error shows on a terminal: progress rewrites one line.
  bool terminal = false;
  // The log file, replaced by each run that gets the lock; empty: none.
  fs::path logFile;
};

// Runs a whole batch build of `command.folder` and returns its exit status.
// Messages and progress go to `err` (see BatchConsole), everything the run
// says also to env.logFile, and a delivering run's summary to env.out: the
// container with its number of questions, findings and warnings, or the
// report alone when no question passed the check.
int runBatch(const CommandLine& command, const BatchEnvironment& env, std::ostream& err);

}  // namespace dm
