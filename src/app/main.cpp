// drillmaker: the window without arguments or with --window, the batch build
// with a folder.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "driver/batch.h"
#include "driver/interruption.h"
#include "readback/preview.h"
#include "readback/readback.h"
#include "platform/platform.h"
#ifdef DRILLMAKER_WITH_WINDOW
#include "ui/display.h"
#include "ui/ui.h"
#endif

namespace {

// The window is created only here, after the batch mode had its turn, so a
// batch build needs no display.
int runWindow(const dm::CommandLine& command, int& argc, char** argv) {
#ifdef DRILLMAKER_WITH_WINDOW
  // Without a display the toolkit would abort the process; say what to do.
  if (!dm::ui::canShowWindow(dm::ui::DisplayEnvironment::current())) {
    std::cerr << dm::ui::kNoDisplayMessage << '\n';
    return dm::exitcode::kCheckFailed;
  }
  return dm::ui::runWindow(command.keepWorkTree, command.paths, argc, argv);
#else
  (void)command;
  (void)argc;
  (void)argv;
  std::cerr << "drillmaker: this build has no window; give a folder to build in batch mode.\n"
            << dm::usageText();
  return dm::exitcode::kCheckFailed;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "inspect")
    return dm::readback::runInspect({args.begin() + 1, args.end()}, std::cout, std::cerr);
  if (!args.empty() && args[0] == "preview")
    return dm::readback::runPreview({args.begin() + 1, args.end()}, std::cout, std::cerr);
  const dm::CommandLine command = dm::parseCommandLine(args);
  switch (command.action) {
    case dm::CommandLine::Action::Help:
      std::cout << dm::usageText();
      return dm::exitcode::kDone;
    case dm::CommandLine::Action::Version:
      std::cout << "drillmaker " << dm::kVersion << '\n';
      return dm::exitcode::kDone;
    case dm::CommandLine::Action::Usage:
      std::cerr << "drillmaker: " << command.problem << " (drillmaker --help lists the options)\n";
      return dm::exitcode::kCheckFailed;
    case dm::CommandLine::Action::Batch: {
      dm::platform::keepFreedMemory();
      dm::handleInterruptions();
      std::error_code ec;
      const std::filesystem::path workBase = dm::platform::workBase();
      dm::BatchEnvironment env{workBase, std::filesystem::current_path(ec), dm::platform::documentsFolder(),
                               &std::cout, ::isatty(STDERR_FILENO) == 1, workBase / dm::kBatchLogName};
      return dm::runBatch(command, env, std::cerr);
    }
    case dm::CommandLine::Action::Window:
      break;
  }
  return runWindow(command, argc, argv);
}
