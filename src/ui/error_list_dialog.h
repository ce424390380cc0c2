// The error list before the build: the lines of the check report and the
// choice between building and stopping.
#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace dm::ui {

class ErrorListDialog : public QDialog {
  Q_OBJECT

 public:
  // Build is offered only when at least one record is valid. Accepted means
  // build; rejected (stop, Escape, the close box) means stop.
  ErrorListDialog(const std::vector<std::u16string>& lines, std::uint32_t validRecordCount,
                  QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  QPushButton* buildButton() const { return build_; }
  QPushButton* stopButton() const { return stop_; }

 private:
  QListWidget* list_;
  QPushButton* build_;
  QPushButton* stop_;
};

}  // namespace dm::ui
