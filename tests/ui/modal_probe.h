// Reads the modal dialog that a call opens and closes it, so that tests can
// look at message boxes that the code under test shows with exec().
#pragma once

#include <QApplication>
#include <QDialog>
#include <QString>
#include <QTimer>
#include <functional>

namespace dm::test {

// Runs `open`, which shows a modal dialog; returns that dialog's title (""
// when none opened) after closing it as Escape would.
inline QString titleOfModal(const std::function<void()>& open) {
  QString title;
  QTimer probe;
  probe.setInterval(5);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      title = dialog->windowTitle();
      dialog->reject();
    }
  });
  probe.start();
  open();
  return title;
}

}  // namespace dm::test
