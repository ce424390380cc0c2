#include "ui/overwrite_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <chrono>

#include "textio/wide_line.h"
#include "ui/pictures.h"

namespace dm::ui {

namespace fs = std::filesystem;

std::optional<FileFacts> readFileFacts(const fs::path& path) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return std::nullopt;
  FileFacts facts;
  facts.size = fs::file_size(path, ec);
  if (ec) return std::nullopt;
  const fs::file_time_type written = fs::last_write_time(path, ec);
  if (ec) return std::nullopt;
  const auto sys = std::chrono::file_clock::to_sys(written);
  const std::time_t t = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(sys));
  if (!localtime_r(&t, &facts.modified)) return std::nullopt;
  return facts;
}

namespace {

QString fromU16(const std::u16string& s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

// The size and date texts of a file; empty when its status cannot be read.
std::pair<QString, QString> factTexts(const fs::path& path) {
  std::optional<FileFacts> facts = readFileFacts(path);
  if (!facts) return {};
  return {QString::fromStdString(sizeText(facts->size)), QString::fromStdString(dateText(facts->modified))};
}

}  // namespace

OverwriteDialog::OverwriteDialog(const fs::path& newFile, const fs::path& currentFile, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("ファイルの上書きの確認"));
  const std::u16string currentName = utf8ToUtf16(currentFile.filename().string());
  kind_ = fileKind(currentName);

  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* question = new QLabel(this);
  question->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
  question->setAlignment(Qt::AlignTop);
  top->addWidget(question);
  message_ = new QLabel(fromU16(overwriteMessageLayout(currentName)), this);
  message_->setTextFormat(Qt::PlainText);
  top->addWidget(message_, 1);
  layout->addLayout(top);

  auto* grid = new QGridLayout;
  const QPixmap kindPixmap = kindPicture(kind_);
  auto [curSize, curDate] = factTexts(currentFile);
  auto [newSizeText, newDateText] = factTexts(newFile);

  grid->addWidget(new QLabel(QStringLiteral("現在のファイル"), this), 0, 0, 1, 2);
  auto* currentKind = new QLabel(this);
  currentKind->setPixmap(kindPixmap);
  grid->addWidget(currentKind, 1, 0, 2, 1);
  currentSize_ = new QLabel(curSize, this);
  currentDate_ = new QLabel(curDate, this);
  grid->addWidget(currentSize_, 1, 1);
  grid->addWidget(currentDate_, 2, 1);

  grid->addWidget(new QLabel(QStringLiteral("に次の新しいファイルを上書きしますか?"), this), 3, 0, 1, 2);
  auto* newKind = new QLabel(this);
  newKind->setPixmap(kindPixmap);
  grid->addWidget(newKind, 4, 0, 2, 1);
  newSize_ = new QLabel(newSizeText, this);
  newDate_ = new QLabel(newDateText, this);
  grid->addWidget(newSize_, 4, 1);
  grid->addWidget(newDate_, 5, 1);
  grid->setColumnStretch(1, 1);
  grid->setContentsMargins(40, 8, 8, 8);
  layout->addLayout(grid);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  yes_ = new QPushButton(QStringLiteral("はい（&Y）"), this);
  no_ = new QPushButton(QStringLiteral("いいえ（&N）"), this);
  buttons->addWidget(yes_);
  buttons->addWidget(no_);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  yes_->setDefault(true);
  connect(yes_, &QPushButton::clicked, this, &QDialog::accept);
  connect(no_, &QPushButton::clicked, this, &QDialog::reject);
}

QString OverwriteDialog::message() const { return message_->text(); }
QString OverwriteDialog::currentSize() const { return currentSize_->text(); }
QString OverwriteDialog::currentDate() const { return currentDate_->text(); }
QString OverwriteDialog::newSize() const { return newSize_->text(); }
QString OverwriteDialog::newDate() const { return newDate_->text(); }

}  // namespace dm::ui
