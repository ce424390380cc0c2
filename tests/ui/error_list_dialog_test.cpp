#include "ui/error_list_dialog.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace dm::ui {
namespace {

const std::vector<std::u16string> kLines = {u"00000003 行目  \tタブ数が8未満です。",
                                            u"00000120 行目  \tファイルがありません: 0007.bmp",
                                            u" \tcat.bmp  \tフォーマットエラー"};

TEST(ErrorListDialog, ListsTheReportLines) {
  ErrorListDialog dialog(kLines, 4);
  EXPECT_EQ(dialog.windowTitle(), "エラー項目の確認");
  ASSERT_EQ(dialog.list()->count(), 3);
  EXPECT_EQ(dialog.list()->item(0)->text(), "3 行目  \tタブ数が8未満です。");
  EXPECT_EQ(dialog.list()->item(1)->text(), "120 行目  \tファイルがありません: 0007.bmp");
  EXPECT_EQ(dialog.list()->item(2)->text(), QString::fromStdU16String(kLines[2]));
  EXPECT_EQ(dialog.buildButton()->text(), " 作 成 ");
  EXPECT_EQ(dialog.stopButton()->text(), " 中 止 ");
}

// Only the zero padding of a line finding's number goes; the rest of every
// line, and every other kind of line, stays as the report has it.
TEST(DisplayedReportLine, DropsOnlyTheLineNumbersPadding) {
  struct Case {
    std::u16string_view line;
    const char* shown;
  };
  const Case cases[] = {
      {u"00000003 行目  \tタブ数が8未満です。", "3 行目  \tタブ数が8未満です。"},
      {u"00012345 行目  \t不正なタグがあります。", "12345 行目  \t不正なタグがあります。"},
      {u"00000000 行目  \t無効なメニューです。", "0 行目  \t無効なメニューです。"},
      {u"12345678 行目  \tx", "12345678 行目  \tx"},
      {u"00000007 行目  \tファイルがありません: 00000001 行目.bmp",
       "7 行目  \tファイルがありません: 00000001 行目.bmp"},
      {u" \t0001.bmp  \tフォーマットエラー", " \t0001.bmp  \tフォーマットエラー"},
      {u"ファイルの記述が正しくありません。", "ファイルの記述が正しくありません。"},
      {u"00000042", "00000042"},
      {u"0000004 行目", "0000004 行目"},
      {u"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(displayedReportLine(c.line), QString::fromUtf8(c.shown)) << c.shown;
}

TEST(ErrorListDialog, CountsFindingsAndQuestionsAboveTheList) {
  EXPECT_EQ(ErrorListDialog(kLines, 118).summary()->text(), "指摘 3 件、作成される問題 118 問");
  EXPECT_EQ(ErrorListDialog(kLines, 0).summary()->text(), "指摘 3 件、作成される問題 0 問");
}

TEST(ErrorListDialog, SelectedLinesAreCopiedWithCtrlC) {
  ErrorListDialog dialog(kLines, 4);
  EXPECT_EQ(dialog.list()->selectionMode(), QAbstractItemView::ExtendedSelection);
  QGuiApplication::clipboard()->setText("before");
  dialog.list()->item(2)->setSelected(true);
  dialog.list()->item(0)->setSelected(true);
  QTest::keyClick(dialog.list(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "3 行目  \tタブ数が8未満です。\n \tcat.bmp  \tフォーマットエラー");
  const QList<QAction*> menu = dialog.list()->actions();
  ASSERT_FALSE(menu.isEmpty());
  EXPECT_EQ(menu.front()->text(), "コピー");
  EXPECT_EQ(dialog.list()->contextMenuPolicy(), Qt::ActionsContextMenu);
}

TEST(ErrorListDialog, BuildIsOfferedOnlyWithAValidRecord) {
  EXPECT_TRUE(ErrorListDialog(kLines, 1).buildButton()->isEnabled());
  EXPECT_FALSE(ErrorListDialog(kLines, 0).buildButton()->isEnabled());
}

// Enter, wherever the focus starts, stops rather than builds.
TEST(ErrorListDialog, EnterNeverBuilds) {
  for (std::uint32_t valid : {0u, 1u}) {
    ErrorListDialog dialog(kLines, valid);
    dialog.show();
    EXPECT_FALSE(dialog.buildButton()->isDefault()) << valid;
    EXPECT_TRUE(dialog.stopButton()->isDefault()) << valid;
    QWidget* focus = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
    QTest::keyClick(focus, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << valid;
    EXPECT_FALSE(dialog.isVisible()) << valid;
  }
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
