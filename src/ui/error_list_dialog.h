// The error list before the build: the lines of the check report and the
// choice between building and stopping.
#pragma once

#include <QDialog>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace dm::ui {

// A report line as the window shows it: a line finding's zero-padded line
// number ("00000003 行目  \t...") without its leading zeros ("3 行目  \t...");
// every other line (pictures, sounds, summary) as it is. The report file
// keeps the padded form.
QString displayedReportLine(std::u16string_view line);

// The count shown above the list, e.g. "指摘 5 件、作成される問題 118 問".
QString findingsSummary(std::size_t findings, std::uint32_t validRecordCount);

class ErrorListDialog : public QDialog {
  Q_OBJECT

 public:
  // Build is offered only when at least one record is valid; stop is the
  // default button, so that Enter never builds by accident. Accepted means
  // build; rejected (stop, Escape, the close box) means stop. The lines can
  // be selected and copied (Ctrl+C or the context menu's "コピー").
  ErrorListDialog(const std::vector<std::u16string>& lines, std::uint32_t validRecordCount,
                  QWidget* parent = nullptr);

  QListWidget* list() const { return list_; }
  QLabel* summary() const { return summary_; }
  QPushButton* buildButton() const { return build_; }
  QPushButton* stopButton() const { return stop_; }

  // Puts the selected lines, in list order and one per line, on the clipboard.
  void copySelection() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QListWidget* list_;
  QLabel* summary_;
  QPushButton* build_;
  QPushButton* stop_;
};

}  // namespace dm::ui
