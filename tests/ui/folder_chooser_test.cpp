#include "ui/folder_chooser.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace dm::ui {
namespace {

TEST(FolderChooser, StartsAtTheGivenFolderAndConfirmsAnExistingOne) {
  test::TempDir dir;
  const QString start = QString::fromStdString(dir.path().string());
  FolderChooser chooser(start);
  EXPECT_EQ(chooser.windowTitle(), "フォルダの参照");
  EXPECT_EQ(chooser.pathEdit()->text(), start);
  EXPECT_TRUE(chooser.okButton()->isEnabled());
  chooser.accept();
  EXPECT_EQ(chooser.result(), QDialog::Accepted);
  EXPECT_EQ(chooser.folder(), start);
}

TEST(FolderChooser, NoPathNoConfirm) {
  test::TempDir dir;
  FolderChooser chooser(QString::fromStdString((dir / "missing").string()));
  chooser.pathEdit()->clear();
  EXPECT_FALSE(chooser.okButton()->isEnabled());
  chooser.pathEdit()->setText(QString::fromStdString(dir.path().string()) + "/");
  EXPECT_TRUE(chooser.okButton()->isEnabled());
  chooser.accept();
  EXPECT_EQ(chooser.folder().toStdString(), dir.path().string()) << "one trailing slash is dropped";
}

}  // namespace
}  // namespace dm::ui
