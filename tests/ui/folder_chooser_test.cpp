#include "ui/folder_chooser.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include "modal_probe.h"
#include "support/temp_dir.h"

namespace dm::ui {
namespace {

namespace fs = std::filesystem;

QString q(const fs::path& path) { return QString::fromStdString(path.string()); }

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

TEST(FolderChooser, AWrongPathIsAWarning) {
  FolderChooser chooser(QString{});
  chooser.pathEdit()->setText("relative/folder");
  EXPECT_EQ(test::titleOfModal([&] { chooser.accept(); }), "警告");
  EXPECT_NE(chooser.result(), QDialog::Accepted);
}

// A home folder with enough folders that the start folder is below the fold
// until the chooser scrolls to it.
class FolderChooserTree : public testing::Test {
 protected:
  FolderChooserTree() {
    for (int i = 0; i < 120; ++i) fs::create_directories(home / ("f" + std::to_string(1000 + i)));
    fs::create_directories(home / "f1100" / "inner");
    for (const char* folder : {"Desktop", "Documents"}) fs::create_directories(home / folder / "sub");
    places = {q(home), q(home / "Desktop"), q(home / "Documents")};
  }

  // Whether the tree shows `folder` as its selected, expanded current item
  // within the viewport, once it shows it and again after the folders around
  // it had time to load.
  static bool waitUntilRevealed(FolderChooser& chooser, const QString& folder) {
    auto revealed = [&] {
      QTreeView* tree = chooser.tree();
      const QModelIndex current = tree->currentIndex();
      return chooser.currentFolder() == folder && tree->selectionModel()->isSelected(current) &&
             tree->isExpanded(current) && tree->viewport()->rect().contains(tree->visualRect(current));
    };
    if (!QTest::qWaitFor(revealed)) return false;
    QTest::qWait(300);
    return revealed();
  }

  test::TempDir root;
  fs::path home = root / "home";
  FolderPlaces places;
};

TEST_F(FolderChooserTree, RevealsTheStartFolderInTheHomeTree) {
  const QString start = q(home / "f1100");
  FolderChooser chooser(start, places);
  chooser.show();
  ASSERT_TRUE(waitUntilRevealed(chooser, start));
  EXPECT_EQ(chooser.pathEdit()->text(), start);
  // The tree's one top item is the home folder.
  EXPECT_EQ(chooser.treeRoot(), q(root.path()));
  EXPECT_EQ(chooser.tree()->model()->rowCount(chooser.tree()->rootIndex()), 1);
}

TEST_F(FolderChooserTree, AStartFolderOutsideHomeIsShownInTheWholeTree) {
  test::TempDir elsewhere;
  fs::create_directories(elsewhere / "drill");
  const QString start = q(elsewhere / "drill");
  FolderChooser chooser(start, places);
  chooser.show();
  ASSERT_TRUE(waitUntilRevealed(chooser, start));
  EXPECT_EQ(chooser.treeRoot(), "/");
}

TEST_F(FolderChooserTree, ShortcutsMoveTheSelection) {
  test::TempDir elsewhere;
  FolderChooser chooser(q(elsewhere.path()), places);
  chooser.show();
  struct Case {
    QPushButton* button;
    QString folder;
    const char* text;
  };
  const Case cases[] = {
      {chooser.desktopButton(), places.desktop, "デスクトップ"},
      {chooser.documentsButton(), places.documents, "ドキュメント"},
      {chooser.homeButton(), places.home, "ホーム"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.button->text(), c.text);
    QTest::mouseClick(c.button, Qt::LeftButton);
    EXPECT_TRUE(waitUntilRevealed(chooser, c.folder)) << c.text;
    EXPECT_EQ(chooser.pathEdit()->text(), c.folder) << c.text;
    EXPECT_EQ(chooser.treeRoot(), q(root.path())) << c.text << ": back in the home tree";
  }
}

}  // namespace
}  // namespace dm::ui
