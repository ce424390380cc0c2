#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStackedLayout>
#include <QStyle>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>
#include <chrono>
#include <thread>

#include "driver/delivery.h"
#include "driver/passes.h"
#include "driver/prebuild.h"
#include "driver/work_tree.h"
#include "intake/intake.h"
#include "platform/platform.h"
#include "readback/preview.h"
#include "ui/pictures.h"
#include "ui/status_overlay.h"

namespace dm::ui {

namespace {

QString toQString(const fs::path& p) { return QString::fromStdString(p.string()); }
fs::path toPath(const QString& s) { return fs::path(s.toStdString()); }

// The folder of a file with a trailing '/', as the profile keeps it.
QString folderOf(const fs::path& file) {
  QString folder = toQString(file.parent_path());
  if (!folder.endsWith('/')) folder += '/';
  return folder;
}

}  // namespace

// Hands the status messages of a pass to the window's thread. A pass on the
// worker thread waits until the window has handled its message, as the run
// expects (the window may open a dialog and start the next pass meanwhile).
class MainWindow::Observer : public StatusObserver {
 public:
  explicit Observer(MainWindow& window) : window_(window) {}

  void onStatus(int code, const std::string& text) override {
    if (closing_.load()) return;
    if (QThread::currentThread() == window_.thread()) {
      window_.handleStatus(code, text);
      return;
    }
    QMetaObject::invokeMethod(
        &window_, [this, code, &text] { window_.handleStatus(code, text); }, Qt::BlockingQueuedConnection);
  }

  // From now on the passes run on without the window.
  void close() { closing_.store(true); }

 private:
  MainWindow& window_;
  std::atomic<bool> closing_{false};
};

// Answers the list's and the delivery's questions with the overwrite dialog.
class MainWindow::Confirmer : public ReplaceConfirmer, public OverwriteConfirmer {
 public:
  explicit Confirmer(MainWindow& window) : window_(window) {}
  bool confirmReplace(const fs::path& newPath, const fs::path& listedPath) override {
    return window_.dialogs_.confirmOverwrite(&window_, newPath, listedPath);
  }
  // The delivery asks with the work file and the delivered file it replaces.
  bool confirmOverwrite(const fs::path& workFile, const fs::path& delivered) override {
    return window_.dialogs_.confirmOverwrite(&window_, workFile, delivered);
  }

 private:
  MainWindow& window_;
};

MainWindow::MainWindow(WindowSetup setup, QWidget* parent)
    : QMainWindow(parent),
      setup_(std::move(setup)),
      ownDialogs_(setup_.dialogs ? nullptr : std::make_unique<QtDialogs>()),
      dialogs_(setup_.dialogs ? *setup_.dialogs : *ownDialogs_),
      profile_(setup_.profileFile),
      observer_(std::make_unique<Observer>(*this)),
      confirmer_(std::make_unique<Confirmer>(*this)) {
  workFolderError_ = setup_.workFolderError;
  filePath_ = profile_.read(kFilePathKey);
  folderPath_ = profile_.read(kFolderPathKey);
  setWindowTitle(kProgramTitle);
  setWindowIcon(QIcon(programIcon(64)));
  setAcceptDrops(true);
  buildWidgets();
  buildMenu();
  applyControls();
  qApp->installEventFilter(this);
  resize(640, 420);
  if (!setup_.initialPaths.empty()) openPaths(setup_.initialPaths);
  if (workFolderError_ != 0) showWorkFolderFailure();
}

MainWindow::~MainWindow() {
  qApp->removeEventFilter(this);
  // A pass still waiting for this window is released and goes on alone;
  // the worker then ends with it.
  observer_->close();
  while (worker_.busy()) {
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void MainWindow::buildWidgets() {
  auto* central = new QWidget(this);
  auto* layout = new QHBoxLayout(central);

  auto* left = new QVBoxLayout;
  left->addWidget(new QLabel(QStringLiteral("対象ファイルー覧"), central));
  auto* stackHolder = new QWidget(central);
  auto* stack = new QStackedLayout(stackHolder);
  stack->setStackingMode(QStackedLayout::StackAll);
  stack->setContentsMargins(0, 0, 0, 0);
  list_ = new QListWidget(stackHolder);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setSortingEnabled(false);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  list_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  list_->setUniformItemSizes(true);
  overlay_ = new StatusOverlay(stackHolder);
  connect(overlay_, &StatusOverlay::clicked, this, [this] {
    if (display_.clicked()) dismissPicture();
  });
  connect(overlay_, &StatusOverlay::openFolderClicked, this, &MainWindow::openOutputFolder);
  connect(overlay_, &StatusOverlay::previewClicked, this, [this] { previewDrill(deliveredDrill_); });
  stack->addWidget(list_);
  stack->addWidget(overlay_);
  left->addWidget(stackHolder, 1);
  layout->addLayout(left, 1);

  auto* buttons = new QVBoxLayout;
  auto makeButton = [&](const char* text, QStyle::StandardPixmap icon) {
    auto* b = new QPushButton(style()->standardIcon(icon), QString::fromUtf8(text), central);
    b->setIconSize(QSize(24, 24));
    b->setMinimumSize(96, 44);
    buttons->addWidget(b);
    return b;
  };
  addFilesButton_ = makeButton("ファイル", QStyle::SP_FileIcon);
  addFolderButton_ = makeButton("フォルダ", QStyle::SP_DirIcon);
  makeButton_ = makeButton("作成", QStyle::SP_DialogApplyButton);
  deleteButton_ = makeButton("削除", QStyle::SP_TrashIcon);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  setCentralWidget(central);

  connect(addFilesButton_, &QPushButton::clicked, this, &MainWindow::addFiles);
  connect(addFolderButton_, &QPushButton::clicked, this, &MainWindow::addFolder);
  connect(makeButton_, &QPushButton::clicked, this, &MainWindow::make);
  connect(deleteButton_, &QPushButton::clicked, this, &MainWindow::deleteSelected);
  connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
    selectionChanged(controls_, listState());
    applyControls();
  });
}

void MainWindow::buildMenu() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  auto add = [this](QMenu* menu, const char* text, QKeySequence key, void (MainWindow::*command)()) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, command);
    return action;
  };
  makeAction_ = add(file, "作成を開始する\tCtrl+&S", QKeySequence(Qt::CTRL | Qt::Key_S), &MainWindow::make);
  file->addSeparator();
  addFilesAction_ = add(file, "ファイルの追加\tCtrl+&O", QKeySequence(Qt::CTRL | Qt::Key_O), &MainWindow::addFiles);
  addFolderAction_ =
      add(file, "フォルダの追加\tCtrl+&L", QKeySequence(Qt::CTRL | Qt::Key_L), &MainWindow::addFolder);
  file->addSeparator();
  deleteAction_ =
      add(file, "ファイルの削除\tCtrl+&D", QKeySequence(Qt::CTRL | Qt::Key_D), &MainWindow::deleteSelected);
  cellStylesAction_ = file->addAction(QStringLiteral("ワークブックのセルの書式を残す"));
  cellStylesAction_->setCheckable(true);
  file->addSeparator();
  previewAction_ = file->addAction(QStringLiteral("ドリルのプレビュー..."));
  connect(previewAction_, &QAction::triggered, this, &MainWindow::previewFile);
  file->addSeparator();
  add(file, "終了\tCtrl+&X", QKeySequence(Qt::CTRL | Qt::Key_X), &MainWindow::exitProgram);
  QMenu* help = menuBar()->addMenu(QStringLiteral("へルプ（&H)"));
  add(help, "バージョン情報\tCtrl+&A", QKeySequence(Qt::CTRL | Qt::Key_A), &MainWindow::about);
}

ListState MainWindow::listState() const {
  return ListState{files_.empty(), !list_->selectedItems().isEmpty()};
}

void MainWindow::applyControls() {
  addFilesButton_->setEnabled(controls_.addFiles);
  addFilesAction_->setEnabled(controls_.addFiles);
  addFolderButton_->setEnabled(controls_.addFolder);
  addFolderAction_->setEnabled(controls_.addFolder);
  makeButton_->setEnabled(controls_.make);
  makeAction_->setEnabled(controls_.make);
  deleteButton_->setEnabled(controls_.remove);
  deleteAction_->setEnabled(controls_.remove);
  list_->setEnabled(controls_.list);
}

void MainWindow::refreshList() {
  const QSignalBlocker block(list_);
  list_->clear();
  widest_ = widestEntry(files_.entries());
  const QSize itemSize(widest_ * kPixelsPerWidthUnit, list_->fontMetrics().height() + 4);
  for (const fs::path& entry : files_.entries()) {
    auto* item = new QListWidgetItem(toQString(entry), list_);
    item->setSizeHint(itemSize);
  }
}

void MainWindow::updateControls() {
  ui::updateControls(controls_, listState());
  applyControls();
}

void MainWindow::afterAdding(bool changed) {
  if (changed) {
    refreshList();
    list_->clearSelection();
  }
  updateControls();
}

bool MainWindow::addFile(const fs::path& path) {
  const bool changed = files_.addFile(path, *confirmer_);
  afterAdding(changed);
  return changed;
}

void MainWindow::addFiles() {
  if (!controls_.addFiles) return;
  const std::vector<fs::path> chosen =
      dialogs_.chooseFiles(this, startFolder(filePath_, toQString(setup_.documents)));
  if (chosen.empty()) return;
  bool changed = false;
  for (const fs::path& file : chosen) changed |= files_.addFile(file, *confirmer_);
  afterAdding(changed);
  filePath_ = folderOf(chosen.back());
  profile_.write(kFilePathKey, filePath_);
}

void MainWindow::addFolder() {
  if (!controls_.addFolder) return;
  const std::optional<fs::path> chosen =
      dialogs_.chooseFolder(this, startFolder(folderPath_, toQString(setup_.documents)));
  if (!chosen) return;
  folderPath_ = toQString(*chosen);
  if (!folderPath_.endsWith('/')) folderPath_ += '/';
  const bool changed = files_.scanFolder(*chosen, *confirmer_);
  afterAdding(changed);
  profile_.write(kFolderPathKey, folderPath_);
  warnOfUnreadFolders(files_.unreadableFolders());
}

void MainWindow::dropPaths(const std::vector<fs::path>& paths) {
  if (display_.showing() || !controls_.list) return;
  bool changed = false;
  bool firstFile = true;
  std::vector<FolderProblem> unread;
  for (const fs::path& path : paths) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      changed |= files_.scanFolder(path, *confirmer_);
      unread.insert(unread.end(), files_.unreadableFolders().begin(), files_.unreadableFolders().end());
      QString folder = toQString(path);
      while (folder.size() > 1 && folder.endsWith('/')) folder.chop(1);
      profile_.write(kFolderPathKey, folder);
    } else if (isAcceptedFile(path)) {
      changed |= files_.addFile(path, *confirmer_);
      if (firstFile) {
        filePath_ = folderOf(path);
        profile_.write(kFilePathKey, filePath_);
        firstFile = false;
      }
    }
  }
  afterAdding(changed);
  warnOfUnreadFolders(unread);
}

void MainWindow::openPaths(const std::vector<fs::path>& paths) {
  bool changed = false;
  std::vector<FolderProblem> unread;
  QStringList notTaken;
  for (const fs::path& path : paths) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) {
      changed |= files_.scanFolder(path, *confirmer_);
      unread.insert(unread.end(), files_.unreadableFolders().begin(), files_.unreadableFolders().end());
    } else if (ec) {
      unread.push_back({path, ec});
    } else if (isAcceptedFile(path)) {
      changed |= files_.addFile(path, *confirmer_);
    } else {
      notTaken << QStringLiteral("%1 is not a file of a drill (.txt, .xlsx, .ods, .bmp, .jpg, .jpeg, .gif, .mp3, .rmp); it is left out")
                      .arg(toQString(path));
    }
  }
  afterAdding(changed);
  warnOfUnreadFolders(unread);
  if (!notTaken.isEmpty()) dialogs_.showWarning(this, notTaken.join('\n'));
}

void MainWindow::openOutputFolder() {
  const fs::path folder = outputFolder();
  if (setup_.openFolder)
    setup_.openFolder(folder);
  else
    QDesktopServices::openUrl(QUrl::fromLocalFile(toQString(folder)));
}

fs::path MainWindow::previewFolder() const {
  return WorkPaths::under(setup_.workBase).root / workfiles::kPreviewFolder;
}

void MainWindow::previewFile() {
  if (runInProgress()) return;
  const std::optional<fs::path> drill = dialogs_.chooseDrill(this, toQString(outputFolder()));
  if (drill) previewDrill(*drill);
}

void MainWindow::previewDrill(const fs::path& drill) {
  // A run owns the work tree while it lasts.
  if (runInProgress() || drill.empty()) return;
  const fs::path folder = previewFolder();
  std::error_code ec;
  fs::remove_all(folder, ec);  // no file of an earlier preview stays
  const readback::PreviewResult result = readback::writePreview(drill.string(), folder.string());
  if (!result.written) {
    dialogs_.showWarning(this, QStringLiteral("%1 のプレビューを作成できません: %2")
                                   .arg(toQString(drill), QString::fromStdString(result.problem)));
    return;
  }
  const fs::path page = folder / "index.html";
  if (setup_.openPage)
    setup_.openPage(page);
  else
    QDesktopServices::openUrl(QUrl::fromLocalFile(toQString(page)));
}

void MainWindow::warnOfUnreadFolders(const std::vector<FolderProblem>& problems) {
  if (problems.empty()) return;
  QStringList lines;
  for (const FolderProblem& problem : problems)
    lines << QStringLiteral("cannot read %1: %2; it is left out")
                 .arg(toQString(problem.folder), QString::fromStdString(platform::systemErrorText(problem.error.value())));
  dialogs_.showWarning(this, lines.join('\n'));
}

void MainWindow::deleteSelected() {
  if (display_.showing() || !controls_.list) return;
  std::vector<std::size_t> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedRows())
    rows.push_back(static_cast<std::size_t>(index.row()));
  list_->clearSelection();
  files_.remove(std::move(rows));
  refreshList();
  updateControls();
  controls_.remove = false;
  applyControls();
}

void MainWindow::about() { dialogs_.showAbout(this); }

void MainWindow::exitProgram() {
  exitStatus_ = kExitCommandStatus;
  close();
}

fs::path MainWindow::outputFolder() const { return setup_.desktop / kOutputFolderName; }

bool MainWindow::runInProgress() const { return running_ || worker_.busy(); }

void MainWindow::make() {
  if (display_.showing() || files_.empty() || !controls_.make || runInProgress()) return;
  if (workFolderError_ != 0) {
    // Without the work folder no run may start; it may have become usable.
    if (setup_.claimWorkFolder) workFolderError_ = setup_.claimWorkFolder();
    if (workFolderError_ != 0) {
      showWorkFolderFailure();
      return;
    }
  }
  state_ = std::make_unique<RunState>();
  state_->workBase = setup_.workBase;
  state_->paths = WorkPaths::under(setup_.workBase);
  state_->startDir = setup_.startDir;
  state_->cleanupAfterRun = !setup_.keepWorkTree;
  state_->workbookCellStyles = cellStylesAction_->isChecked();
  state_->observer = observer_.get();
  runLog_.clear();
  state_->sink = &runLog_;
  state_->reportOnly = false;
  state_->fileList = files_.entries();

  if (!preBuildChecks(*state_, state_->fileList, setup_.documents, platform::freeBytes)) {
    // The checks have sent their status and its picture shows.
    if (display_.current() == status::kDiskFull && state_->cleanupAfterRun) deleteWorkFiles(*state_);
    if (display_.current() == status::kTooManyTexts) {
      QStringList texts;
      for (const fs::path& path : state_->fileList)
        if (isSourceFile(path)) texts << toQString(path);
      overlay_->setDetail(texts.join('\n'));
    }
    return;
  }
  running_ = true;
  previewAction_->setEnabled(false);
  showStatusPicture(status::kChecking, false);
  worker_.post([state = state_.get()] { CheckPass(*state); });
}

void MainWindow::showStatusPicture(int id, bool dismissable) {
  display_.show(id, dismissable);
  overlay_->setPicture(statusPicture(id));
  disableControls(controls_);
  applyControls();
}

void MainWindow::hideStatusPictures() {
  display_.hideProgress();
  if (!display_.showing()) overlay_->setPicture(nullptr);
}

void MainWindow::showWorkFolderFailure() {
  showStatusPicture(status::kNotWritable, true);
  overlay_->setDetail(QStringLiteral("作業フォルダ %1 に書き込めません: %2")
                          .arg(toQString(setup_.workBase),
                               QString::fromStdString(platform::systemErrorText(workFolderError_))));
}

void MainWindow::dismissPicture() {
  overlay_->setPicture(nullptr);
  enableControls(controls_, listState());
  applyControls();
  list_->setFocus();
}

void MainWindow::handleStatus(int code, const std::string& text) {
  hideStatusPictures();
  switch (code) {
    case status::kCheckDone:
      checkDone();
      break;
    case status::kBuildDone:
    case status::kReportOnly:
      deliverResults();
      break;
    case status::kPassFailed:
      passFailed(text);
      break;
    default:
      if (statusPicture(code)) showStatusPicture(code, true);
      break;
  }
}

void MainWindow::checkDone() {
  RunState& state = *state_;
  bool build = true;
  try {
    if (countErrors(state) != 0) {
      // The report is written as the error list opens; its lines fill the list.
      std::vector<std::u16string> lines;
      writeCheckReport(state, [&lines](std::u16string_view line) { lines.emplace_back(line); });
      build = dialogs_.reviewErrors(this, lines, state.validRecordCount);
    }
  } catch (const std::exception& e) {
    passFailed(e.what());
    return;
  }
  if (!build || state.validRecordCount == 0) {
    state.reportOnly = true;
    handleStatus(status::kReportOnly, {});
    return;
  }
  showStatusPicture(status::kBuilding, false);
  worker_.post([s = state_.get()] { BuildPass(*s); });
}

void MainWindow::deliverResults() {
  RunState& state = *state_;
  DeliveredFiles delivered;
  const int result = deliver(state, outputFolder(), *confirmer_, &delivered);
  if (result == status::kPassFailed) return;  // its failure dialog has been shown
  showStatusPicture(result == 0 ? status::kCreated : result, true);
  if (result == 0) {
    // The picture tells what the delivery wrote, and where.
    const DeliveryOutcome outcome{state.reportOnly, state.reportOnly && state.validRecordCount == 0,
                                  delivered.written, delivered.kept, outputFolder()};
    result_ = resultPicture(outcome, state.warnings);
    overlay_->setPicture(&result_);
    overlay_->setDetail(QString::fromStdString(resultDetail(outcome)));
    if (!delivered.written.empty() || !delivered.kept.empty()) overlay_->showFolderButton();
    // The drill this run wrote can be seen before it goes to the device.
    deliveredDrill_.clear();
    for (const fs::path& file : delivered.written)
      if (file.extension() == ".drl") deliveredDrill_ = file;
    if (!deliveredDrill_.empty()) overlay_->showPreviewButton();
  }
  if (state.cleanupAfterRun) deleteWorkFiles(state);
  running_ = false;
  previewAction_->setEnabled(true);
}

void MainWindow::passFailed(const std::string& text) {
  display_.clear();
  overlay_->setPicture(nullptr);
  dialogs_.showPassFailure(this, QString::fromStdString(text));
  deleteWorkFiles(*state_);
  running_ = false;
  previewAction_->setEnabled(true);
  enableControls(controls_, listState());
  applyControls();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (type == QEvent::KeyRelease) {
    if (key == swallowedKey_) swallowedKey_ = 0;
    return false;
  }
  if (display_.dismissable()) {
    // The key dismisses the picture and does nothing else, accelerators
    // included, until it is released.
    display_.keyPressed();
    dismissPicture();
    swallowedKey_ = key;
  } else if (key != swallowedKey_) {
    swallowedKey_ = 0;
    return false;
  }
  event->accept();
  return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  std::vector<fs::path> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(toPath(url.toLocalFile()));
  event->acceptProposedAction();
  dropPaths(paths);
}

}  // namespace dm::ui
