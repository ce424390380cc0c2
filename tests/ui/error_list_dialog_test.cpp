#include "ui/error_list_dialog.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace dm::ui {
namespace {

const std::vector<std::u16string> kLines = {u"00000003 行目  \tタブ数が8未満です。",
                                            u" \tcat.bmp  \tフォーマットエラー"};

TEST(ErrorListDialog, ListsTheReportLines) {
  ErrorListDialog dialog(kLines, 4);
  EXPECT_EQ(dialog.windowTitle(), "エラー項目の確認");
  ASSERT_EQ(dialog.list()->count(), 2);
  EXPECT_EQ(dialog.list()->item(0)->text(), QString::fromStdU16String(kLines[0]));
  EXPECT_EQ(dialog.list()->item(1)->text(), QString::fromStdU16String(kLines[1]));
  EXPECT_EQ(dialog.list()->selectionMode(), QAbstractItemView::NoSelection);
  EXPECT_EQ(dialog.buildButton()->text(), " 作 成 ");
  EXPECT_EQ(dialog.stopButton()->text(), " 中 止 ");
}

TEST(ErrorListDialog, BuildIsOfferedOnlyWithAValidRecord) {
  EXPECT_TRUE(ErrorListDialog(kLines, 1).buildButton()->isEnabled());
  EXPECT_FALSE(ErrorListDialog(kLines, 0).buildButton()->isEnabled());
}

TEST(ErrorListDialog, BuildAcceptsStopAndEscapeReject) {
  {
    ErrorListDialog dialog(kLines, 1);
    QTest::mouseClick(dialog.buildButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  {
    ErrorListDialog dialog(kLines, 1);
    QTest::mouseClick(dialog.stopButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
  {
    ErrorListDialog dialog(kLines, 1);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
  }
}

}  // namespace
}  // namespace dm::ui
