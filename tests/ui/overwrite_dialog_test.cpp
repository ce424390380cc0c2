#include "ui/overwrite_dialog.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace dm::ui {
namespace {

namespace fs = std::filesystem;

class OverwriteDialogTest : public testing::Test {
 protected:
  // A file of `size` bytes modified at a fixed local time.
  fs::path makeFile(const std::string& name, std::size_t size) {
    const fs::path p = dir / name;
    test::writeFile(p, std::string(size, 'x'));
    std::tm t{};
    t.tm_year = 2023 - 1900;
    t.tm_mon = 10;
    t.tm_mday = 2;
    t.tm_hour = 13;
    t.tm_min = 4;
    t.tm_sec = 5;
    t.tm_isdst = -1;
    const auto sys = std::chrono::system_clock::from_time_t(std::mktime(&t));
    fs::last_write_time(p, std::chrono::file_clock::from_sys(sys));
    return p;
  }
  test::TempDir dir;
};

TEST_F(OverwriteDialogTest, ShowsNameSizesDatesAndKind) {
  const fs::path current = makeFile("a.bmp", 1536);
  const fs::path incoming = makeFile("new.bmp", 3145728);
  OverwriteDialog dialog(incoming, current);
  EXPECT_EQ(dialog.windowTitle(), "ファイルの上書きの確認");
  EXPECT_EQ(dialog.message(), "既に’a.bmp’ファイルが存在します.");
  EXPECT_EQ(dialog.currentSize(), "1.50KB");
  EXPECT_EQ(dialog.newSize(), "3.00MB");
  EXPECT_EQ(dialog.currentDate(), "更新日時:2023年11月02日、13:04:05");
  EXPECT_EQ(dialog.newDate(), "更新日時:2023年11月02日、13:04:05");
  EXPECT_EQ(dialog.kind(), FileKind::Picture);
  EXPECT_EQ(dialog.yesButton()->text(), "はい（&Y）");
  EXPECT_EQ(dialog.noButton()->text(), "いいえ（&N）");
}

// A long name is broken between its parts, not inside a word.
TEST_F(OverwriteDialogTest, BreaksTheMessageBetweenWords) {
  const fs::path current = makeFile("chapter_one_questions_with_pictures_final.txt", 10);
  EXPECT_EQ(OverwriteDialog(current, current).message(),
            "既に’chapter_one_questions_with_pictures_\nfinal.txt’ファイルが存在します.");
}

TEST_F(OverwriteDialogTest, KindFollowsTheCurrentFile) {
  const fs::path current = makeFile("drill.txt", 10);
  const fs::path incoming = makeFile("x.mp3", 10);
  EXPECT_EQ(OverwriteDialog(incoming, current).kind(), FileKind::Text);
  EXPECT_EQ(OverwriteDialog(current, incoming).kind(), FileKind::Sound);
}

TEST_F(OverwriteDialogTest, AFileWithoutStatusShowsNoFacts) {
  const fs::path incoming = makeFile("x.gif", 2048);
  OverwriteDialog dialog(incoming, dir / "gone.gif");
  EXPECT_EQ(dialog.currentSize(), "");
  EXPECT_EQ(dialog.currentDate(), "");
  EXPECT_EQ(dialog.newSize(), "2.00KB");
}

TEST_F(OverwriteDialogTest, YesOverwritesAndNoKeeps) {
  const fs::path a = makeFile("a.bmp", 1);
  {
    OverwriteDialog dialog(a, a);
    QTest::mouseClick(dialog.yesButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  }
  {
    OverwriteDialog dialog(a, a);
    QTest::mouseClick(dialog.noButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
  }
}

}  // namespace
}  // namespace dm::ui
