#include "ui/status_overlay.h"

#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <vector>

#include "ui/pictures.h"

namespace dm::ui {

namespace {

constexpr int kMargin = 12;       // between the picture's texts and its edges
constexpr int kSignGap = 10;      // between the warning sign and the text
constexpr int kLargestText = 26;  // pixel sizes of the picture's text
constexpr int kSmallestText = 12;

// The font of the small lines under the picture: the detail and the hint.
QFont smallFont(const QFont& base) {
  QFont font = base;
  font.setPixelSize(12);
  return font;
}

}  // namespace

StatusOverlay::StatusOverlay(QWidget* parent) : QWidget(parent) {
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 0);
  progress_->setTextVisible(false);
  progress_->hide();
  folderButton_ = new QPushButton(QStringLiteral("フォルダを開く"), this);
  // Keys dismiss the picture; the button answers the mouse only.
  folderButton_->setFocusPolicy(Qt::NoFocus);
  folderButton_->hide();
  connect(folderButton_, &QPushButton::clicked, this, &StatusOverlay::openFolderClicked);
  previewButton_ = new QPushButton(QStringLiteral("プレビュー"), this);
  previewButton_->setFocusPolicy(Qt::NoFocus);
  previewButton_->hide();
  connect(previewButton_, &QPushButton::clicked, this, &StatusOverlay::previewClicked);
  hide();
}

void StatusOverlay::setPicture(const StatusPicture* picture) {
  picture_ = picture;
  detail_.clear();
  folderButton_->hide();
  previewButton_->hide();
  progress_->setVisible(picture && picture->kind == PictureKind::Progress);
  setVisible(picture != nullptr);
  if (picture) raise();
  update();
}

void StatusOverlay::setDetail(const QString& detail) {
  detail_ = detail;
  update();
}

void StatusOverlay::showFolderButton() {
  folderButton_->show();
  placeButtons();
  update();
}

void StatusOverlay::showPreviewButton() {
  previewButton_->show();
  placeButtons();
  update();
}

bool StatusOverlay::progressShown() const { return progress_->isVisibleTo(this); }

bool StatusOverlay::hintShown() const { return picture_ && picture_->kind != PictureKind::Progress; }

void StatusOverlay::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && picture_) emit clicked();
  event->accept();
}

void StatusOverlay::resizeEvent(QResizeEvent*) {
  const int w = width() * 3 / 5;
  progress_->setGeometry((width() - w) / 2, height() * 2 / 3, w, 18);
  placeButtons();
}

void StatusOverlay::placeButtons() {
  // The buttons that show stand in one centred row above the hint line.
  constexpr int kGap = 12;
  std::vector<QPushButton*> shown;
  for (QPushButton* b : {folderButton_, previewButton_})
    if (!b->isHidden()) shown.push_back(b);
  int rowWidth = 0;
  int rowHeight = 0;
  for (QPushButton* b : shown) {
    rowWidth += b->sizeHint().width() + (rowWidth ? kGap : 0);
    rowHeight = std::max(rowHeight, b->sizeHint().height());
  }
  const int hintHeight = QFontMetrics(smallFont(font())).height();
  const int top = height() - 6 - hintHeight - 8 - rowHeight;
  int left = (width() - rowWidth) / 2;
  for (QPushButton* b : shown) {
    const QSize size = b->sizeHint();
    b->setGeometry(left, top, size.width(), rowHeight);
    left += size.width() + kGap;
  }
}

int StatusOverlay::buttonsTop() const {
  int top = -1;
  for (const QPushButton* b : {folderButton_, previewButton_})
    if (!b->isHidden()) top = top < 0 ? b->geometry().top() : std::min(top, b->geometry().top());
  return top;
}

void StatusOverlay::paintEvent(QPaintEvent*) {
  if (!picture_) return;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(255, 255, 255, 235));

  // From the bottom up: the hint, the folder button, the detail; the
  // picture's text is centred in what stays above them.
  const QFont small = smallFont(p.font());
  const QFontMetrics smallMetrics(small);
  int bottom = height();
  p.setFont(small);
  if (hintShown()) {
    p.setPen(QColor(110, 110, 110));
    const QRect hint(kMargin, height() - 6 - smallMetrics.height(), width() - 2 * kMargin, smallMetrics.height());
    p.drawText(hint, Qt::AlignHCenter | Qt::AlignTop, QString::fromUtf8(kDismissHint));
    bottom = hint.top() - 4;
  }
  if (const int top = buttonsTop(); top >= 0) bottom = top - 4;
  if (!detail_.isEmpty()) {
    // At most the lower half; the lines start as low as they can.
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    const QRect needed = smallMetrics.boundingRect(QRect(kMargin, 0, width() - 2 * kMargin, bottom), flags, detail_);
    const int top = std::max(height() / 2, bottom - needed.height());
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRect(kMargin, top, width() - 2 * kMargin, bottom - top), flags, detail_);
    bottom = top - 6;
  }

  const QString text = QString::fromStdString(picture_->text);
  const QStringList lines = text.split('\n');
  const bool error = picture_->kind == PictureKind::Error;
  const int room = width() - 2 * kMargin;
  // The largest size, within bounds, at which every line fits the width and
  // all lines the height; a line that does not fit even at the smallest
  // size is wrapped.
  QFont font = p.font();
  font.setBold(true);
  int size = kLargestText;
  qreal widest = 0;
  for (;; --size) {
    font.setPixelSize(size);
    const QFontMetricsF metrics(font);
    widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
    const bool fitsWidth = widest + (error ? size * 2 + kSignGap : 0) <= room;
    const bool fitsHeight = metrics.lineSpacing() * lines.size() <= bottom;
    if (size == kSmallestText || (fitsWidth && fitsHeight)) break;
  }
  p.setFont(font);
  const int sign = error ? size * 2 : 0;
  const int textRoom = room - (error ? sign + kSignGap : 0);
  // Lines that fit are drawn as they are: wrapping a line to its own measured
  // width could push its last characters onto a line of their own.
  const bool fits = widest <= textRoom;
  const int flags = fits ? 0 : int(Qt::TextWordWrap);
  const int textWidth = fits ? int(std::ceil(widest)) + 2 : textRoom;
  const QColor ink = error ? QColor(170, 20, 20) : QColor(20, 50, 120);
  p.setPen(ink);

  if (error) {
    // The warning sign stands before the text, the pair centred together.
    const int left = (width() - (sign + kSignGap + textWidth)) / 2;
    p.drawPixmap(left, (bottom - sign) / 2, warningSign(sign));
    p.drawText(QRect(left + sign + kSignGap, 0, textWidth, bottom), Qt::AlignVCenter | Qt::AlignLeft | flags, text);
    return;
  }
  p.drawText(QRect((width() - textWidth) / 2, 0, textWidth, bottom), Qt::AlignCenter | flags, text);
}

}  // namespace dm::ui
