#include "ui/folder_chooser.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

#include "platform/platform.h"
#include "ui/dialogs.h"
#include "ui/folder_path.h"

namespace dm::ui {

namespace {

constexpr const char* kFolderWarning = "The folder:";
constexpr const char* kCreateQuestion = "The folder:\n\n";

// The message texts stay as they are; the path goes below them.
void warnAbout(QWidget* parent, const QString& path) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kWarningTitle), kFolderWarning, QMessageBox::Ok, parent);
  box.setInformativeText(path);
  box.exec();
}

}  // namespace

// Within the folder `top`'s parent only `top` is shown, so that the tree
// holds one branch; with no top every folder is shown.
class OneBranchFilter : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

  void setTop(const QString& top) {
    top_ = top;
    invalidateFilter();
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    if (top_.isEmpty() || !parent.isValid()) return true;
    const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
    const QString path = files->filePath(files->index(row, 0, parent));
    return parentFolder(path) != parentFolder(top_) || path == top_;
  }

 private:
  static QString parentFolder(const QString& path) { return QFileInfo(path).absolutePath(); }

  QString top_;
};

namespace {

QString fromPath(const fs::path& path) { return QString::fromStdString(path.string()); }

// Whether `path` is `folder` or lies below it.
bool isWithin(const QString& path, const QString& folder) {
  return path == folder || path.startsWith(folder.endsWith(u'/') ? folder : folder + u'/');
}

}  // namespace

FolderPlaces FolderPlaces::ofUser() {
  return {QDir::cleanPath(QDir::homePath()), QDir::cleanPath(fromPath(platform::desktopFolder())),
          QDir::cleanPath(fromPath(platform::documentsFolder()))};
}

FolderChooser::FolderChooser(const QString& startFolder, QWidget* parent)
    : FolderChooser(startFolder, FolderPlaces::ofUser(), parent) {}

FolderChooser::FolderChooser(const QString& startFolder, const FolderPlaces& places, QWidget* parent)
    : QDialog(parent), places_(places) {
  setWindowTitle(QStringLiteral("フォルダの参照"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("フォルダを選択してください。"), this));
  path_ = new QLineEdit(this);
  layout->addWidget(path_);

  auto* shortcuts = new QHBoxLayout;
  auto shortcut = [&](const QString& text, QStyle::StandardPixmap icon, const QString& folder) {
    auto* button = new QPushButton(style()->standardIcon(icon), text, this);
    button->setAutoDefault(false);
    button->setToolTip(folder);
    button->setEnabled(!folder.isEmpty() && QDir(folder).exists());
    connect(button, &QPushButton::clicked, this, [this, folder] { showFolder(folder); });
    shortcuts->addWidget(button);
    return button;
  };
  desktop_ = shortcut(QStringLiteral("デスクトップ"), QStyle::SP_DesktopIcon, places_.desktop);
  documents_ = shortcut(QStringLiteral("ドキュメント"), QStyle::SP_DirIcon, places_.documents);
  home_ = shortcut(QStringLiteral("ホーム"), QStyle::SP_DirHomeIcon, places_.home);
  shortcuts->addStretch(1);
  layout->addLayout(shortcuts);

  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  filter_ = new OneBranchFilter(this);
  filter_->setSourceModel(model_);
  tree_ = new QTreeView(this);
  tree_->setModel(filter_);
  for (int column = 1; column < filter_->columnCount(); ++column) tree_->hideColumn(column);
  tree_->header()->hide();
  layout->addWidget(tree_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  ok_ = new QPushButton(QStringLiteral("OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  ok_->setDefault(true);
  ok_->setEnabled(false);

  connect(ok_, &QPushButton::clicked, this, &FolderChooser::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { selectionChanged(); });
  connect(path_, &QLineEdit::textChanged, this, [this] { pathEdited(); });
  // The model loads folders in the background: rows that arrive and the
  // sorting that follows move the start folder, which is kept in view until
  // the user scrolls or picks another one.
  connect(filter_, &QAbstractItemModel::rowsInserted, this, &FolderChooser::keepRevealed);
  connect(filter_, &QAbstractItemModel::layoutChanged, this, &FolderChooser::keepRevealed);
  connect(tree_->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { revealing_.clear(); });
  tree_->installEventFilter(this);
  tree_->viewport()->installEventFilter(this);

  const QString start = QDir::cleanPath(startFolder);
  if (!startFolder.isEmpty() && QDir(start).exists()) {
    showFolder(start);
  } else {
    setTree(false);
  }
  resize(460, 520);
}

void FolderChooser::setTree(bool wholeTree) {
  // A home of "/" is the whole tree already.
  if (places_.home.isEmpty() || places_.home == QStringLiteral("/")) wholeTree = true;
  if (static_cast<int>(wholeTree) == wholeTree_) return;
  wholeTree_ = wholeTree;
  const QString rootFolder = wholeTree ? QStringLiteral("/") : QFileInfo(places_.home).absolutePath();
  filter_->setTop(wholeTree ? QString() : places_.home);
  model_->setRootPath(rootFolder);
  tree_->setRootIndex(filter_->mapFromSource(model_->index(rootFolder)));
  if (!wholeTree) tree_->expand(filter_->mapFromSource(model_->index(places_.home)));
}

void FolderChooser::showFolder(const QString& path) {
  const QString folder = QDir::cleanPath(path);
  if (folder.isEmpty() || !QDir(folder).exists()) return;
  setTree(!isWithin(folder, places_.home));
  const QModelIndex index = filter_->mapFromSource(model_->index(folder));
  if (!index.isValid()) return;
  tree_->setCurrentIndex(index);
  tree_->expand(index);
  tree_->scrollTo(index, QAbstractItemView::PositionAtCenter);
  revealing_ = folder;
}

void FolderChooser::keepRevealed() {
  if (revealing_.isEmpty() || scrollQueued_) return;
  scrollQueued_ = true;
  // Once the rows that came in are laid out.
  QTimer::singleShot(0, this, [this] {
    scrollQueued_ = false;
    if (revealing_.isEmpty()) return;
    if (currentFolder() != revealing_) {
      revealing_.clear();  // the user moved on
      return;
    }
    tree_->scrollTo(tree_->currentIndex(), QAbstractItemView::PositionAtCenter);
  });
}

bool FolderChooser::eventFilter(QObject* watched, QEvent* event) {
  // Once the user works in the tree, the tree stays where the user puts it.
  const QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonPress || type == QEvent::KeyPress || type == QEvent::Wheel) revealing_.clear();
  return QDialog::eventFilter(watched, event);
}

QString FolderChooser::currentFolder() const {
  const QModelIndex current = tree_->currentIndex();
  return current.isValid() ? model_->filePath(filter_->mapToSource(current)) : QString();
}

QString FolderChooser::treeRoot() const { return model_->filePath(filter_->mapToSource(tree_->rootIndex())); }

void FolderChooser::selectionChanged() {
  const QString path = currentFolder();
  // Only folders with a local path can be chosen.
  path_->setText(path.startsWith('/') ? path : QString());
}

void FolderChooser::pathEdited() { ok_->setEnabled(!path_->text().isEmpty()); }

void FolderChooser::accept() {
  QString path = path_->text();
  if (path.size() > 1 && path.endsWith('/')) path.chop(1);
  if (!isValidFolderPath(path.toStdString())) {
    warnAbout(this, path);
    return;
  }
  if (!QDir(path).exists()) {
    QMessageBox ask(QMessageBox::Question, QString::fromUtf8(kQuestionTitle), kCreateQuestion, QMessageBox::Yes | QMessageBox::No,
                    this);
    ask.setInformativeText(path);
    if (ask.exec() != QMessageBox::Yes) return;
    if (createFolderPath(path.toStdString())) {
      warnAbout(this, path);
      return;
    }
  }
  chosen_ = path;
  QDialog::accept();
}

}  // namespace dm::ui
