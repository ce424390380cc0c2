#include "ui/ui.h"

#include <QApplication>
#include <cstdlib>
#include <system_error>

#include "platform/platform.h"
#include "ui/main_window.h"

namespace dm::ui {

int runWindow(bool keepWorkTree, int& argc, char** argv) {
  const fs::path workBase = platform::workBase();
  std::error_code ec;
  fs::create_directories(workBase, ec);
  platform::InstanceLock lock;
  if (!lock.acquire(workBase / platform::kInstanceLockName)) return 0;

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("drillmaker"));
  QApplication::setDesktopFileName(QStringLiteral("drillmaker"));

  WindowSetup setup;
  setup.workBase = workBase;
  setup.startDir = fs::current_path(ec);
  setup.documents = platform::documentsFolder();
  setup.desktop = platform::desktopFolder();
  setup.profileFile = Profile::defaultFile();
  setup.keepWorkTree = keepWorkTree;

  MainWindow window(setup);
  window.show();
  const int status = app.exec();
  // A pass still running when the window closed ends with the process, as
  // the passes belong to the window; its work files are emptied next run.
  if (window.runInProgress()) std::_Exit(window.exitStatus());
  return window.exitStatus() != 0 ? window.exitStatus() : status;
}

}  // namespace dm::ui
