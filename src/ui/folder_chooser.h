// The folder chooser: a tree of the file system's folders with the path of
// the selected one above it, editable; a confirmed path is validated and,
// when missing, created after asking.
#pragma once

#include <QDialog>
#include <QString>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace dm::ui {

class FolderChooser : public QDialog {
  Q_OBJECT

 public:
  // Starts with `startFolder` selected when it exists.
  explicit FolderChooser(const QString& startFolder, QWidget* parent = nullptr);

  // The chosen folder once accepted.
  QString folder() const { return chosen_; }

  QLineEdit* pathEdit() const { return path_; }
  QPushButton* okButton() const { return ok_; }

  void accept() override;

 private:
  void selectionChanged();
  void pathEdited();

  QFileSystemModel* model_;
  QTreeView* tree_;
  QLineEdit* path_;
  QPushButton* ok_;
  QString chosen_;
};

}  // namespace dm::ui
