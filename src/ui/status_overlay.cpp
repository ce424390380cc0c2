#include "ui/status_overlay.h"

#include <QPainter>
#include <algorithm>
#include <QProgressBar>

#include "ui/pictures.h"

namespace dm::ui {

StatusOverlay::StatusOverlay(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, 0);
  progress_->setTextVisible(false);
  progress_->hide();
  hide();
}

void StatusOverlay::setPicture(const StatusPicture* picture) {
  picture_ = picture;
  detail_.clear();
  progress_->setVisible(picture && picture->kind == PictureKind::Progress);
  setVisible(picture != nullptr);
  if (picture) raise();
  update();
}

void StatusOverlay::setDetail(const QString& detail) {
  detail_ = detail;
  update();
}

bool StatusOverlay::progressShown() const { return progress_->isVisibleTo(this); }

void StatusOverlay::resizeEvent(QResizeEvent*) {
  const int w = width() * 3 / 5;
  progress_->setGeometry((width() - w) / 2, height() * 2 / 3, w, 18);
}

void StatusOverlay::paintEvent(QPaintEvent*) {
  if (!picture_) return;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), QColor(255, 255, 255, 235));

  if (!detail_.isEmpty()) {
    p.setPen(QColor(60, 60, 60));
    p.drawText(rect().adjusted(12, height() * 2 / 3, -12, -6), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
               detail_);
  }

  const QString text = QString::fromStdString(picture_->text);
  const bool error = picture_->kind == PictureKind::Error;
  // The largest size, within bounds, at which every line fits the width.
  QFont font = p.font();
  font.setBold(true);
  int size = 26;
  for (; size > 12; --size) {
    font.setPixelSize(size);
    const QFontMetrics metrics(font);
    int widest = 0;
    for (const QString& line : text.split('\n')) widest = std::max(widest, metrics.horizontalAdvance(line));
    if (widest + (error ? size * 2 + 10 : 0) <= width() - 24) break;
  }
  font.setPixelSize(size);
  p.setFont(font);
  const QColor ink = error ? QColor(170, 20, 20) : QColor(20, 50, 120);
  p.setPen(ink);

  QRect textRect = rect().adjusted(12, 0, -12, 0);
  if (error) {
    // The warning sign stands before the text, the pair centred together.
    const int sign = font.pixelSize() * 2;
    const QRect bounds = p.fontMetrics().boundingRect(textRect, Qt::AlignCenter | Qt::TextWordWrap, text);
    const int total = std::min(textRect.width(), sign + 10 + bounds.width());
    const int left = (width() - total) / 2;
    p.drawPixmap(left, (height() - sign) / 2, warningSign(sign));
    textRect = QRect(left + sign + 10, 0, total - sign - 10, height());
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, text);
    return;
  }
  p.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, text);
}

}  // namespace dm::ui
