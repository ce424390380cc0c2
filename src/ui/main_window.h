// The main window: the file list of a drill with its commands, menu and
// accelerators, the status pictures of a run, and the run itself (pre-build
// checks on the window's thread, the passes on a worker thread whose status
// messages the window handles while the pass waits).
#pragma once

#include <QMainWindow>
#include <QString>
#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/file_list.h"
#include "driver/run_state.h"
#include "ui/dialogs.h"
#include "ui/pass_worker.h"
#include "ui/profile.h"
#include "ui/run_log.h"
#include "ui/window_rules.h"

class QAction;
class QListWidget;
class QPushButton;

namespace dm::ui {

class StatusOverlay;

// Where the window keeps and delivers things.
struct WindowSetup {
  fs::path workBase;   // holds the work tree
  fs::path startDir;   // the current directory at start-up
  fs::path documents;  // start folder of the dialogs; second free-space test
  fs::path desktop;    // delivered files go to <desktop>/ドリル
  QString profileFile;
  bool keepWorkTree = false;  // "/d": the work files stay after a run
  Dialogs* dialogs = nullptr; // nullptr: the real dialogs
  // Files and folders the list starts with ("--window PATH..."), added as a
  // drop adds them; what cannot be taken is named in a warning.
  std::vector<fs::path> initialPaths;
  // The errno that kept the work folder from being used at start-up (the
  // instance lock could not be taken in it); 0 when it is in use. While it
  // is not 0, the window shows the picture of an unwritable work folder and
  // Make asks `claimWorkFolder` again first.
  int workFolderError = 0;
  // Takes the work folder (creates it, takes the instance lock): 0, or the
  // errno that stops it. nullptr: the folder counts as taken.
  std::function<int()> claimWorkFolder;
  // Opens a folder in the file manager. nullptr: the desktop's own.
  std::function<void(const fs::path&)> openFolder;
  // Opens a page (a preview's index.html) in the browser. nullptr: the
  // desktop's own.
  std::function<void(const fs::path&)> openPage;
};

// The name of the delivery folder on the desktop.
inline constexpr const char* kOutputFolderName = "ドリル";

// Exit status when the user chose Exit in the menu.
inline constexpr int kExitCommandStatus = 18;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(WindowSetup setup, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The commands.
  void addFiles();
  void addFolder();
  void dropPaths(const std::vector<fs::path>& paths);
  void deleteSelected();
  void make();
  void about();
  // Writes a preview of the drill the user picks into the work tree and
  // opens it in the browser.
  void previewFile();
  // The same for `drill`; a drill that cannot be previewed is named in a
  // warning.
  void previewDrill(const fs::path& drill);
  // Where previews are written: a folder of the work tree, replaced by each
  // preview and removed with the work files.
  fs::path previewFolder() const;
  void exitProgram();

  // Shows a status picture over the list; the controls stay off until a
  // key or a click on it dismisses a dismissable one.
  void showStatusPicture(int id, bool dismissable);
  // Hides the progress pictures.
  void hideStatusPictures();

  // Adds one file (asking before it replaces an entry of the same name);
  // true when the list changed. The list shows it at once.
  bool addFile(const fs::path& path);
  // Adds files and the files below folders as a drop does, without
  // remembering their folders; a path that cannot be read or is not a drill
  // file is named in a warning.
  void openPaths(const std::vector<fs::path>& paths);
  // Opens the delivery folder in the file manager.
  void openOutputFolder();

  const Controls& controls() const { return controls_; }
  const StatusDisplay& display() const { return display_; }
  const FileList& files() const { return files_; }
  int widest() const { return widest_; }
  fs::path outputFolder() const;
  // True from Make until the run has delivered or failed.
  bool runInProgress() const;
  int exitStatus() const { return exitStatus_; }
  // What the phases of the last run said.
  const RunLog& runLog() const { return runLog_; }

  QListWidget* fileListWidget() const { return list_; }
  QPushButton* addFilesButton() const { return addFilesButton_; }
  QPushButton* addFolderButton() const { return addFolderButton_; }
  QPushButton* makeButton() const { return makeButton_; }
  QPushButton* deleteButton() const { return deleteButton_; }
  QAction* makeAction() const { return makeAction_; }
  QAction* addFilesAction() const { return addFilesAction_; }
  QAction* addFolderAction() const { return addFolderAction_; }
  QAction* deleteAction() const { return deleteAction_; }
  QAction* previewAction() const { return previewAction_; }
  // Checked: a workbook source keeps its cells' bold, italic, underline and
  // font colours as markup (the batch flag --cell-styles). Off at start.
  QAction* cellStylesAction() const { return cellStylesAction_; }
  StatusOverlay* overlay() const { return overlay_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  class Observer;
  class Confirmer;

  void buildWidgets();
  void buildMenu();
  ListState listState() const;
  void applyControls();
  void refreshList();
  void afterAdding(bool changed);
  // Names the folders a scan could not read in a warning, if there are any.
  void warnOfUnreadFolders(const std::vector<FolderProblem>& problems);
  void updateControls();

  void dismissPicture();
  // Shows the picture of an unwritable work folder with the reason.
  void showWorkFolderFailure();

  // The status messages of a run, on the window's thread.
  void handleStatus(int code, const std::string& text);
  void checkDone();
  void deliverResults();
  void passFailed(const std::string& text);

  WindowSetup setup_;
  std::unique_ptr<Dialogs> ownDialogs_;
  Dialogs& dialogs_;
  Profile profile_;
  QString filePath_;
  QString folderPath_;

  FileList files_;
  RunLog runLog_;
  Controls controls_;
  StatusDisplay display_;
  StatusPicture result_{};  // the result picture with the build's warnings
  int widest_ = 0;
  int exitStatus_ = 0;
  int workFolderError_ = 0;  // see WindowSetup::workFolderError
  bool running_ = false;
  int swallowedKey_ = 0;  // the key that dismissed a picture, until released

  std::unique_ptr<RunState> state_;
  std::unique_ptr<Observer> observer_;
  std::unique_ptr<Confirmer> confirmer_;
  PassWorker worker_;

  QListWidget* list_ = nullptr;
  QPushButton* addFilesButton_ = nullptr;
  QPushButton* addFolderButton_ = nullptr;
  QPushButton* makeButton_ = nullptr;
  QPushButton* deleteButton_ = nullptr;
  QAction* makeAction_ = nullptr;
  QAction* addFilesAction_ = nullptr;
  QAction* addFolderAction_ = nullptr;
  QAction* deleteAction_ = nullptr;
  QAction* previewAction_ = nullptr;
  fs::path deliveredDrill_;  // the drill the last run wrote, for its preview
  QAction* cellStylesAction_ = nullptr;
  StatusOverlay* overlay_ = nullptr;
};

}  // namespace dm::ui
