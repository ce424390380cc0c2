#include "ui/ui.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdlib>
#include <iostream>
#include <string>
#include <system_error>

#include "platform/platform.h"
#include "ui/main_window.h"
#include "ui/translations.h"

namespace dm::ui {

int runWindow(bool keepWorkTree, int& argc, char** argv) {
  const fs::path workBase = platform::workBase();
  std::error_code ec;
  fs::create_directories(workBase, ec);
  platform::InstanceLock lock;
  if (!lock.acquire(workBase / platform::kInstanceLockName)) {
    if (lock.openError() == 0) return 0;  // another window is open
    // Not another window: the work folder itself cannot be used.
    const int err = ec ? ec.value() : lock.openError();
    const std::string text =
        "the work folder " + workBase.string() + " cannot be written: " + platform::systemErrorText(err);
    std::cerr << "drillmaker: " << text << '\n';
    if (!QApplication::instance()) {
      QApplication app(argc, argv);
      QMessageBox::critical(nullptr, QStringLiteral("drillmaker"), QString::fromStdString(text));
    }
    return 2;
  }

  QApplication app(argc, argv);
  installQtTranslations(app);
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
