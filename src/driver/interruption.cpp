#include "driver/interruption.h"

#include <csignal>
#include <mutex>
#include <ostream>
#include <string>

#include "driver/work_tree.h"
#include "platform/platform.h"

namespace dm {

namespace {

std::mutex stakeMutex;
fs::path stakedBase;

}  // namespace

void handleInterruptions(std::ostream& err) {
  platform::endOnInterruption([&err](int signal) {
    // Held to the end: the run cannot finish and hand back its base meanwhile.
    std::lock_guard<std::mutex> hold(stakeMutex);
    const bool cleaned = !stakedBase.empty();
    if (cleaned) {
      // The run goes on writing until the process ends: a second sweep takes
      // what it created during the first.
      deleteWorkFiles(stakedBase);
      deleteWorkFiles(stakedBase);
    }
    err << "drillmaker: interrupted by " << (signal == SIGINT ? "SIGINT" : "SIGTERM")
        << (cleaned ? "; the work files were removed\n" : "\n");
    err.flush();
  });
}

WorkFilesAtStake::WorkFilesAtStake(const fs::path& workBase) {
  std::lock_guard<std::mutex> hold(stakeMutex);
  stakedBase = workBase;
}

WorkFilesAtStake::~WorkFilesAtStake() {
  std::lock_guard<std::mutex> hold(stakeMutex);
  stakedBase.clear();
}

}  // namespace dm
