// The overwrite confirmation: whether a new file replaces the current one of
// the same name, with the sizes, dates and kind of both.
#pragma once

#include <QDialog>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>

#include "ui/overwrite_text.h"

class QLabel;
class QPushButton;

namespace dm::ui {

// What the dialog shows of one file; nullopt when its status cannot be read.
struct FileFacts {
  std::uint64_t size = 0;
  std::tm modified{};  // local time
};
std::optional<FileFacts> readFileFacts(const std::filesystem::path& path);

class OverwriteDialog : public QDialog {
  Q_OBJECT

 public:
  // Accepted means overwrite ("はい"), rejected keep ("いいえ").
  OverwriteDialog(const std::filesystem::path& newFile, const std::filesystem::path& currentFile,
                  QWidget* parent = nullptr);

  QString message() const;
  QString currentSize() const;
  QString currentDate() const;
  QString newSize() const;
  QString newDate() const;
  FileKind kind() const { return kind_; }
  QPushButton* yesButton() const { return yes_; }
  QPushButton* noButton() const { return no_; }

 private:
  QLabel* message_;
  QLabel* currentSize_;
  QLabel* currentDate_;
  QLabel* newSize_;
  QLabel* newDate_;
  QPushButton* yes_;
  QPushButton* no_;
  FileKind kind_;
};

}  // namespace dm::ui
