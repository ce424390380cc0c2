#include "driver/interruption.h"

#include <unistd.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <string>
#include <string_view>

#include "driver/batch_console.h"
#include "driver/run_state.h"
#include "platform/platform.h"

namespace dm {

namespace {

// The work root and the name it is moved to while it is removed, kept in
// fixed buffers for the interruption handler, which may not allocate.
char stakedRoot[PATH_MAX];
char stakedAside[PATH_MAX];
std::atomic<bool> staked{false};
// On a terminal a progress line may stand where the message goes.
bool errorsOnTerminal = false;
// A carriage return, spaces over the widest progress line, and one more.
char blankLine[kProgressLineWidth + 3];

void say(std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
    if (n <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

// Runs in the signal handler: async-signal-safe calls only.
void removeWorkFiles(int signal) {
  if (errorsOnTerminal) say(blankLine);
  const bool cleaned = staked.load();
  if (cleaned) platform::removeFolderTree(stakedRoot, stakedAside);
  say(signal == SIGINT ? "drillmaker: interrupted by SIGINT" : "drillmaker: interrupted by SIGTERM");
  say(cleaned ? "; the work files were removed\n" : "\n");
}

}  // namespace

void handleInterruptions() {
  errorsOnTerminal = ::isatty(STDERR_FILENO) == 1;
  blankLine[0] = '\r';
  std::memset(blankLine + 1, ' ', kProgressLineWidth);
  blankLine[kProgressLineWidth + 1] = '\r';
  blankLine[kProgressLineWidth + 2] = '\0';
  platform::endOnInterruption(removeWorkFiles);
}

WorkFilesAtStake::WorkFilesAtStake(const fs::path& workBase) {
  const std::string root = WorkPaths::under(workBase).root.native();
  const std::string aside = root + ".removing";
  if (aside.size() >= sizeof stakedAside) return;
  std::memcpy(stakedRoot, root.c_str(), root.size() + 1);
  std::memcpy(stakedAside, aside.c_str(), aside.size() + 1);
  staked.store(true);
}

WorkFilesAtStake::~WorkFilesAtStake() { staked.store(false); }

}  // namespace dm
