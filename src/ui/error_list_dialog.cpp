#include "ui/error_list_dialog.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace dm::ui {

namespace {

constexpr std::size_t kLineNumberDigits = 8;
constexpr std::u16string_view kLineWord = u" 行目";

QString toQString(std::u16string_view s) { return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

QString displayedReportLine(std::u16string_view line) {
  if (line.size() < kLineNumberDigits || line.substr(kLineNumberDigits, kLineWord.size()) != kLineWord)
    return toQString(line);
  for (std::size_t i = 0; i < kLineNumberDigits; ++i)
    if (line[i] < u'0' || line[i] > u'9') return toQString(line);
  std::size_t zeros = 0;
  while (zeros + 1 < kLineNumberDigits && line[zeros] == u'0') ++zeros;
  return toQString(line.substr(zeros));
}

QString findingsSummary(std::size_t findings, std::uint32_t validRecordCount) {
  return QStringLiteral("指摘 %1 件、作成される問題 %2 問").arg(findings).arg(validRecordCount);
}

ErrorListDialog::ErrorListDialog(const std::vector<std::u16string>& lines, std::uint32_t validRecordCount,
                                 QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("エラー項目の確認"));
  auto* layout = new QVBoxLayout(this);
  auto* heading = new QHBoxLayout;
  heading->addWidget(new QLabel(QStringLiteral("エラー一覧"), this));
  heading->addStretch(1);
  // Every report line the window receives is one finding.
  summary_ = new QLabel(findingsSummary(lines.size(), validRecordCount), this);
  heading->addWidget(summary_);
  layout->addLayout(heading);

  list_ = new QListWidget(this);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setSortingEnabled(false);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  for (const std::u16string& line : lines) list_->addItem(displayedReportLine(line));
  list_->installEventFilter(this);
  list_->setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* copy = new QAction(QStringLiteral("コピー"), list_);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  connect(copy, &QAction::triggered, this, &ErrorListDialog::copySelection);
  auto* selectAll = new QAction(QStringLiteral("すべて選択"), list_);
  selectAll->setShortcut(QKeySequence::SelectAll);
  selectAll->setShortcutContext(Qt::WidgetShortcut);
  connect(selectAll, &QAction::triggered, list_, &QListWidget::selectAll);
  list_->addAction(copy);
  list_->addAction(selectAll);
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
  build_->setEnabled(validRecordCount != 0);
  // Building is chosen on purpose (a click, or Enter once it has the focus),
  // never by an Enter meant for the list.
  stop_->setDefault(true);
  resize(560, 360);
}

void ErrorListDialog::copySelection() const {
  QStringList selected;
  for (int row = 0; row < list_->count(); ++row)
    if (list_->item(row)->isSelected()) selected << list_->item(row)->text();
  if (selected.isEmpty()) return;
  QGuiApplication::clipboard()->setText(selected.join(u'\n'));
}

bool ErrorListDialog::eventFilter(QObject* watched, QEvent* event) {
  // Ctrl+C reaches the list as a key press when no shortcut took it.
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    copySelection();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace dm::ui
