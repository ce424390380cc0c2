// The folder chooser: a tree of the user's folders with the path of the
// selected one above it, editable, and shortcuts to the desktop, the
// documents and the home folder; a confirmed path is validated and, when
// missing, created after asking.
#pragma once

#include <QDialog>
#include <QString>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace dm::ui {

class OneBranchFilter;

// The folders the chooser starts from: the top of its tree and its shortcuts.
struct FolderPlaces {
  QString home;
  QString desktop;
  QString documents;

  // The user's home, desktop and documents folders.
  static FolderPlaces ofUser();
};

class FolderChooser : public QDialog {
  Q_OBJECT

 public:
  // Starts with `startFolder` selected, expanded and scrolled into view when
  // it exists. The tree shows the home folder and what lies below it; a
  // folder outside home is shown in the tree of the whole file system.
  explicit FolderChooser(const QString& startFolder, QWidget* parent = nullptr);
  FolderChooser(const QString& startFolder, const FolderPlaces& places, QWidget* parent = nullptr);

  // The chosen folder once accepted.
  QString folder() const { return chosen_; }

  // Selects an existing folder in the tree, opening the tree of the whole
  // file system when it lies outside home, and reveals it.
  void showFolder(const QString& path);
  // The path of the folder the tree's current item stands for ("" if none).
  QString currentFolder() const;
  // The folder the tree's top level lies in.
  QString treeRoot() const;

  QLineEdit* pathEdit() const { return path_; }
  QPushButton* okButton() const { return ok_; }
  QTreeView* tree() const { return tree_; }
  QPushButton* desktopButton() const { return desktop_; }
  QPushButton* documentsButton() const { return documents_; }
  QPushButton* homeButton() const { return home_; }

  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void selectionChanged();
  void pathEdited();
  // Shows the home folder's tree, or the whole file system's (`wholeTree`).
  void setTree(bool wholeTree);
  // Scrolls the folder being revealed back into view after the rows moved.
  void keepRevealed();

  FolderPlaces places_;
  QFileSystemModel* model_;
  OneBranchFilter* filter_;
  QTreeView* tree_;
  QLineEdit* path_;
  QPushButton* desktop_;
  QPushButton* documents_;
  QPushButton* home_;
  QPushButton* ok_;
  QString chosen_;
  QString revealing_;  // the folder kept in view while the tree loads
  bool scrollQueued_ = false;
  int wholeTree_ = -1;  // -1 before the first tree is set
};

}  // namespace dm::ui
