#include "ui/dialogs.h"

#include <QComboBox>
#include <QFileDialog>
#include <gtest/gtest.h>

#include "modal_probe.h"
#include "support/temp_dir.h"

namespace dm::ui {
namespace {

// The filter list shows each label once, as the user should read it.
TEST(FileDialog, ShowsEachFilterByItsLabelOnce) {
  test::TempDir dir;
  const std::unique_ptr<QFileDialog> dialog =
      makeFileDialog(nullptr, QString::fromStdString(dir.path().string()));
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
  ASSERT_NE(types, nullptr);
  ASSERT_EQ(types->count(), 2);
  EXPECT_EQ(types->itemText(0), "ユーザー(*.txt, *.xlsx, *.ods, *.bmp, *.mp3, *.rmp, *.gif, *.jpeg, *.jpg)");
  EXPECT_EQ(types->itemText(1), "All Files (*.*)");
  EXPECT_EQ(dialog->windowTitle(), "ファイルを開く");
  EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
}

// Messages are titled by what they are, in the window's language.
TEST(MessageBoxes, AreTitledInJapanese) {
  QtDialogs dialogs;
  EXPECT_EQ(test::titleOfModal([&] { dialogs.showPassFailure(nullptr, "x"); }), "エラー");
  EXPECT_EQ(test::titleOfModal([&] { dialogs.showWarning(nullptr, "x"); }), "警告");
  EXPECT_EQ(test::titleOfModal([&] { dialogs.showAbout(nullptr); }), "バージョン情報");
}

}  // namespace
}  // namespace dm::ui
