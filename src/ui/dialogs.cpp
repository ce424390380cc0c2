#include "ui/dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "driver/batch.h"
#include "ui/error_list_dialog.h"
#include "ui/folder_chooser.h"
#include "ui/overwrite_dialog.h"
#include "ui/pictures.h"

namespace dm::ui {

QString fileDialogFilter() {
  // The label as the user reads it, then the patterns (both letter cases,
  // as the file system tells them apart).
  return QStringLiteral(
      "ユーザー(*.txt, *.xlsx, *.ods, *.bmp, *.mp3, *.rmp, *.gif, *.jpeg, *.jpg) "
      "(*.txt *.xlsx *.ods *.bmp *.mp3 *.rmp *.gif *.jpeg *.jpg "
      "*.TXT *.XLSX *.ODS *.BMP *.MP3 *.RMP *.GIF *.JPEG *.JPG);;"
      "All Files (*.*) (*)");
}

bool QtDialogs::confirmOverwrite(QWidget* parent, const fs::path& newFile, const fs::path& currentFile) {
  OverwriteDialog dialog(newFile, currentFile, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::reviewErrors(QWidget* parent, const std::vector<std::u16string>& lines,
                             std::uint32_t validRecordCount) {
  ErrorListDialog dialog(lines, validRecordCount, parent);
  return dialog.exec() == QDialog::Accepted;
}

std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const QString& startFolder) {
  auto dialog = std::make_unique<QFileDialog>(parent, QStringLiteral("ファイルを開く"), startFolder, fileDialogFilter());
  dialog->setFileMode(QFileDialog::ExistingFiles);
  dialog->setOption(QFileDialog::ReadOnly, false);
  // The labels name their patterns themselves; shown with the patterns Qt
  // appends, every label would list them twice.
  dialog->setOption(QFileDialog::HideNameFilterDetails, true);
  return dialog;
}

std::vector<fs::path> QtDialogs::chooseFiles(QWidget* parent, const QString& startFolder) {
  const std::unique_ptr<QFileDialog> dialog = makeFileDialog(parent, startFolder);
  std::vector<fs::path> chosen;
  if (dialog->exec() != QDialog::Accepted) return chosen;
  for (const QString& file : dialog->selectedFiles()) chosen.emplace_back(file.toStdString());
  return chosen;
}

std::optional<fs::path> QtDialogs::chooseFolder(QWidget* parent, const QString& startFolder) {
  FolderChooser chooser(startFolder, parent);
  if (chooser.exec() != QDialog::Accepted) return std::nullopt;
  return fs::path(chooser.folder().toStdString());
}

std::optional<fs::path> QtDialogs::chooseDrill(QWidget* parent, const QString& startFolder) {
  QFileDialog dialog(parent, QStringLiteral("プレビューするドリルを開く"), startFolder,
                     QStringLiteral("ドリル (*.drl *.DRL);;All Files (*)"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::HideNameFilterDetails, true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return fs::path(dialog.selectedFiles().front().toStdString());
}

void QtDialogs::showAbout(QWidget* parent) {
  QDialog box(parent);
  box.setWindowTitle(QStringLiteral("バージョン情報"));
  auto* layout = new QHBoxLayout(&box);
  auto* icon = new QLabel(&box);
  icon->setPixmap(programIcon(48));
  icon->setAlignment(Qt::AlignTop);
  layout->addWidget(icon);
  auto* texts = new QVBoxLayout;
  texts->addWidget(new QLabel(QString(kProgramTitle) + QStringLiteral(" Version ") + kVersion, &box));
  texts->addWidget(new QLabel(QStringLiteral("Copyright (C) the drillmaker developers"), &box));
  auto* ok = new QPushButton(QStringLiteral("OK"), &box);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
  texts->addWidget(ok, 0, Qt::AlignRight);
  layout->addLayout(texts);
  box.exec();
}

void QtDialogs::showPassFailure(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, QString::fromUtf8(kErrorTitle), text);
}

void QtDialogs::showWarning(QWidget* parent, const QString& text) {
  QMessageBox::warning(parent, QString::fromUtf8(kWarningTitle), text);
}

}  // namespace dm::ui
