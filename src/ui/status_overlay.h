// The status pictures: the text of the current status drawn over the file
// list (error texts with a warning sign), and under a progress text a busy
// bar that shows a long run is alive.
#pragma once

#include <QWidget>

#include "ui/window_rules.h"

class QProgressBar;

namespace dm::ui {

class StatusOverlay : public QWidget {
  Q_OBJECT

 public:
  explicit StatusOverlay(QWidget* parent = nullptr);

  // Shows `picture`, or hides the overlay for nullptr.
  void setPicture(const StatusPicture* picture);
  const StatusPicture* picture() const { return picture_; }
  // Lines drawn small under the picture's text (the files behind a failure),
  // until the next picture.
  void setDetail(const QString& detail);
  const QString& detail() const { return detail_; }
  bool progressShown() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  const StatusPicture* picture_ = nullptr;
  QString detail_;
  QProgressBar* progress_;
};

}  // namespace dm::ui
