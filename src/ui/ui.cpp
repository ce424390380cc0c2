#include "ui/ui.h"

#include <QApplication>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <string>
#include <system_error>

#include "platform/platform.h"
#include "ui/main_window.h"
#include "ui/translations.h"

namespace dm::ui {

int claimWorkFolder(platform::InstanceLock& lock, const fs::path& workBase) {
  std::error_code ec;
  fs::create_directories(workBase, ec);
  if (!lock.acquire(workBase / platform::kInstanceLockName)) {
    if (lock.openError() == 0) return -1;  // another drillmaker holds it
    return ec ? ec.value() : lock.openError();
  }
  // The lock file may be left from a time before the folder became read-only.
  return platform::folderWriteError(workBase);
}

int runWindow(bool keepWorkTree, const std::vector<std::string>& paths, int& argc, char** argv) {
  const fs::path workBase = platform::workBase();
  platform::InstanceLock lock;
  const int workError = claimWorkFolder(lock, workBase);
  if (workError == -1) return 0;  // another window is open
  if (workError != 0)
    std::cerr << "drillmaker: the work folder " << workBase.string()
              << " cannot be written: " << platform::systemErrorText(workError) << '\n';

  QApplication app(argc, argv);
  installQtTranslations(app);
  QApplication::setApplicationName(QStringLiteral("drillmaker"));
  QApplication::setDesktopFileName(QStringLiteral("drillmaker"));

  std::error_code ec;
  WindowSetup setup;
  setup.workBase = workBase;
  setup.startDir = fs::current_path(ec);
  setup.documents = platform::documentsFolder();
  setup.desktop = platform::desktopFolder();
  setup.profileFile = Profile::defaultFile();
  setup.keepWorkTree = keepWorkTree;
  for (const std::string& path : paths) setup.initialPaths.push_back(fs::absolute(path, ec));
  setup.workFolderError = workError;
  setup.claimWorkFolder = [&lock, &workBase] {
    // Another drillmaker that took the folder meanwhile keeps it.
    const int error = claimWorkFolder(lock, workBase);
    return error == -1 ? EWOULDBLOCK : error;
  };

  MainWindow window(setup);
  window.show();
  const int status = app.exec();
  // A pass still running when the window closed ends with the process, as
  // the passes belong to the window; its work files are emptied next run.
  if (window.runInProgress()) std::_Exit(window.exitStatus());
  return window.exitStatus() != 0 ? window.exitStatus() : status;
}

}  // namespace dm::ui
