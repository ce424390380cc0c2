#include "ui/folder_chooser.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/dialogs.h"
#include "ui/folder_path.h"

namespace dm::ui {

namespace {

constexpr const char* kFolderWarning = "The folder:";
constexpr const char* kCreateQuestion = "The folder:\n\n";

// The message texts stay as they are; the path goes below them.
void warnAbout(QWidget* parent, const QString& path) {
  QMessageBox box(QMessageBox::Warning, kProgramTitle, kFolderWarning, QMessageBox::Ok, parent);
  box.setInformativeText(path);
  box.exec();
}

}  // namespace

FolderChooser::FolderChooser(const QString& startFolder, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("フォルダの参照"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("フォルダを選択してください。"), this));
  path_ = new QLineEdit(this);
  layout->addWidget(path_);

  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  model_->setRootPath(QStringLiteral("/"));
  tree_ = new QTreeView(this);
  tree_->setModel(model_);
  for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
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

  const QString start = QDir::cleanPath(startFolder);
  if (QDir(start).exists()) {
    const QModelIndex index = model_->index(start);
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
    tree_->expand(index);
  }
  resize(420, 480);
}

void FolderChooser::selectionChanged() {
  const QString path = model_->filePath(tree_->currentIndex());
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
    QMessageBox ask(QMessageBox::Question, kProgramTitle, kCreateQuestion, QMessageBox::Yes | QMessageBox::No,
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
