// The status pictures: the text of the current status drawn over the file
// list (error texts with a warning sign), and under a progress text a busy
// bar that shows a long run is alive. A result or error picture carries the
// hint that a key or a click dismisses it; the result picture may offer
// buttons that open the delivery folder and a preview of the drill.
#pragma once

#include <QWidget>

#include "ui/window_rules.h"

class QProgressBar;
class QPushButton;

namespace dm::ui {

class StatusOverlay : public QWidget {
  Q_OBJECT

 public:
  explicit StatusOverlay(QWidget* parent = nullptr);

  // Shows `picture`, or hides the overlay for nullptr. The detail and the
  // buttons go with the previous picture.
  void setPicture(const StatusPicture* picture);
  const StatusPicture* picture() const { return picture_; }
  // Lines drawn small under the picture's text (the files behind a failure,
  // the files a run wrote), until the next picture.
  void setDetail(const QString& detail);
  const QString& detail() const { return detail_; }
  bool progressShown() const;
  // Shows the button "フォルダを開く" under the picture, until the next one.
  void showFolderButton();
  QPushButton* folderButton() const { return folderButton_; }
  // Shows the button "プレビュー" beside it, until the next picture.
  void showPreviewButton();
  QPushButton* previewButton() const { return previewButton_; }
  // True when the picture shows the dismissal hint (result and error pictures).
  bool hintShown() const;

 signals:
  // A click on the picture itself (not on its button).
  void clicked();
  void openFolderClicked();
  void previewClicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  const StatusPicture* picture_ = nullptr;
  QString detail_;
  QProgressBar* progress_;
  QPushButton* folderButton_;
  QPushButton* previewButton_;

  void placeButtons();
  // The top of the row of buttons, or -1 when none shows.
  int buttonsTop() const;
};

}  // namespace dm::ui
