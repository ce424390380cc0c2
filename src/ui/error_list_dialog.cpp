#include "ui/error_list_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace dm::ui {

ErrorListDialog::ErrorListDialog(const std::vector<std::u16string>& lines, std::uint32_t validRecordCount,
                                 QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("エラー項目の確認"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("エラー一覧"), this));

  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->setSortingEnabled(false);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  list_->setFocusPolicy(Qt::NoFocus);
  for (const std::u16string& line : lines)
    list_->addItem(QString::fromUtf16(line.data(), static_cast<qsizetype>(line.size())));
  layout->addWidget(list_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  build_ = new QPushButton(QStringLiteral(" 作 成 "), this);
  stop_ = new QPushButton(QStringLiteral(" 中 止 "), this);
  buttons->addWidget(build_);
  buttons->addWidget(stop_);
  layout->addLayout(buttons);

  connect(build_, &QPushButton::clicked, this, &QDialog::accept);
  connect(stop_, &QPushButton::clicked, this, &QDialog::reject);
  if (validRecordCount == 0) {
    build_->setEnabled(false);
    stop_->setDefault(true);
  } else {
    build_->setDefault(true);
  }
  resize(560, 360);
}

}  // namespace dm::ui
