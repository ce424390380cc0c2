// drillmaker: the window without arguments, the batch build with a folder.
#include <iostream>
#include <string>
#include <vector>

#include "driver/batch.h"
#include "platform/platform.h"

namespace {

int runWindow(const dm::CommandLine& command, int argc, char** argv) {
  (void)command;
  (void)argc;
  (void)argv;
  std::cerr << "drillmaker: this build has no window yet; give a folder to build in batch mode.\n"
            << dm::usageText();
  return dm::exitcode::kCheckFailed;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const dm::CommandLine command = dm::parseCommandLine(args);
  switch (command.action) {
    case dm::CommandLine::Action::Help:
      std::cout << dm::usageText();
      return dm::exitcode::kDone;
    case dm::CommandLine::Action::Version:
      std::cout << "drillmaker " << dm::kVersion << '\n';
      return dm::exitcode::kDone;
    case dm::CommandLine::Action::Usage:
      std::cerr << "drillmaker: " << command.problem << "\n\n" << dm::usageText();
      return dm::exitcode::kCheckFailed;
    case dm::CommandLine::Action::Batch: {
      std::error_code ec;
      dm::BatchEnvironment env{dm::platform::workBase(), std::filesystem::current_path(ec),
                               dm::platform::documentsFolder()};
      return dm::runBatch(command, env, std::cerr);
    }
    case dm::CommandLine::Action::Window:
      break;
  }
  return runWindow(command, argc, argv);
}
