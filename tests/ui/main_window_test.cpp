#include "ui/main_window.h"
#include "ui/dialogs.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <functional>

#include "driver/run_state.h"
#include "driver/status_text.h"
#include "support/temp_dir.h"
#include "ui/status_overlay.h"

namespace dm::ui {
namespace {

using test::TempDir;
using test::writeFile;

// Answers the window's dialogs from a script and records what was asked.
class ScriptedDialogs : public Dialogs {
 public:
  struct Overwrite {
    fs::path newFile;
    fs::path currentFile;
  };

  bool confirmOverwrite(QWidget*, const fs::path& newFile, const fs::path& currentFile) override {
    overwrites.push_back({newFile, currentFile});
    if (overwriteAnswers.empty()) return false;
    const bool yes = overwriteAnswers.front();
    overwriteAnswers.pop_front();
    return yes;
  }
  bool reviewErrors(QWidget*, const std::vector<std::u16string>& lines, std::uint32_t valid) override {
    if (duringReview) duringReview();
    reviewed = lines;
    reviewedValid = valid;
    ++reviews;
    return buildAfterReview;
  }
  std::vector<fs::path> chooseFiles(QWidget*, const QString& start) override {
    fileStarts.push_back(start);
    return filesToChoose;
  }
  std::optional<fs::path> chooseFolder(QWidget*, const QString& start) override {
    folderStarts.push_back(start);
    return folderToChoose;
  }
  std::optional<fs::path> chooseDrill(QWidget*, const QString& start) override {
    drillStarts.push_back(start);
    return drillToChoose;
  }
  void showAbout(QWidget*) override { ++abouts; }
  void showPassFailure(QWidget*, const QString& text) override { failures.push_back(text); }
  void showWarning(QWidget*, const QString& text) override { warnings.push_back(text); }

  std::deque<bool> overwriteAnswers;
  std::vector<Overwrite> overwrites;
  bool buildAfterReview = true;
  std::function<void()> duringReview;  // runs between the check and the build
  std::vector<QString> warnings;
  std::vector<std::u16string> reviewed;
  std::uint32_t reviewedValid = 0;
  int reviews = 0;
  std::vector<fs::path> filesToChoose;
  std::optional<fs::path> folderToChoose;
  std::vector<QString> fileStarts;
  std::vector<QString> folderStarts;
  std::optional<fs::path> drillToChoose;
  std::vector<QString> drillStarts;
  int abouts = 0;
  std::vector<QString> failures;
};

class MainWindowTest : public testing::Test {
 protected:
  MainWindowTest() {
    setup.workBase = dir / "work";
    setup.startDir = dir.path();
    setup.documents = dir / "docs";
    setup.desktop = dir / "desktop";
    setup.profileFile = QString::fromStdString((dir / "profile.ini").string());
    setup.dialogs = &dialogs;
    setup.openFolder = [this](const fs::path& folder) { openedFolders.push_back(folder); };
    setup.openPage = [this](const fs::path& page) { openedPages.push_back(page); };
    fs::create_directories(setup.documents);
  }

  MainWindow& window() {
    if (!window_) {
      window_ = std::make_unique<MainWindow>(setup);
      window_->show();
      window_->activateWindow();
      EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    }
    return *window_;
  }

  fs::path file(const std::string& rel, std::string_view bytes = "data") {
    writeFile(dir / rel, bytes);
    return dir / rel;
  }

  std::vector<fs::path> entries() { return window().files().entries(); }

  void select(int row) { window().fileListWidget()->item(row)->setSelected(true); }

  // Processes events until the run has ended.
  void waitForRun() {
    for (int i = 0; i < 6000 && window().runInProgress(); ++i) QTest::qWait(10);
    ASSERT_FALSE(window().runInProgress()) << "the run did not end";
  }

  void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(window().fileListWidget()->isEnabled() ? static_cast<QWidget*>(window().fileListWidget())
                                                           : static_cast<QWidget*>(&window()),
                    k, mods);
  }

  // The text, the detail lines and the button of the picture that shows.
  std::string pictureText() { return window().overlay()->picture() ? window().overlay()->picture()->text : ""; }
  std::string pictureDetail() { return window().overlay()->detail().toStdString(); }
  bool folderButtonShown() { return window().overlay()->folderButton()->isVisibleTo(window().overlay()); }
  bool previewButtonShown() { return window().overlay()->previewButton()->isVisibleTo(window().overlay()); }

  TempDir dir;
  ScriptedDialogs dialogs;
  WindowSetup setup;
  std::vector<fs::path> openedFolders;  // what the window asked the file manager to open
  std::vector<fs::path> openedPages;    // what it asked the browser to open
  std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, StartsWithMakeAndDeleteDisabled) {
  MainWindow& w = window();
  EXPECT_EQ(w.windowTitle(), kProgramTitle);
  EXPECT_TRUE(w.addFilesButton()->isEnabled());
  EXPECT_TRUE(w.addFolderButton()->isEnabled());
  EXPECT_FALSE(w.makeButton()->isEnabled());
  EXPECT_FALSE(w.deleteButton()->isEnabled());
  EXPECT_FALSE(w.makeAction()->isEnabled());
  EXPECT_FALSE(w.deleteAction()->isEnabled());
  EXPECT_EQ(w.makeAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  EXPECT_EQ(w.fileListWidget()->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST_F(MainWindowTest, EnablingFollowsTheListAndItsSelection) {
  MainWindow& w = window();
  w.addFile(file("a/one.bmp"));
  w.addFile(file("a/two.mp3"));
  EXPECT_TRUE(w.makeButton()->isEnabled());
  EXPECT_TRUE(w.makeAction()->isEnabled());
  EXPECT_FALSE(w.deleteButton()->isEnabled());
  select(1);
  EXPECT_TRUE(w.deleteButton()->isEnabled());
  EXPECT_TRUE(w.deleteAction()->isEnabled());
  w.deleteSelected();
  EXPECT_EQ(entries(), (std::vector<fs::path>{dir / "a/one.bmp"}));
  EXPECT_FALSE(w.deleteButton()->isEnabled());
  select(0);
  key(Qt::Key_D, Qt::ControlModifier);
  EXPECT_TRUE(entries().empty());
  EXPECT_FALSE(w.makeButton()->isEnabled()) << "deleting the last entry disables Make";
  EXPECT_FALSE(w.makeAction()->isEnabled());
  key(Qt::Key_S, Qt::ControlModifier);
  EXPECT_FALSE(w.display().showing()) << "Ctrl+S on an empty list does nothing";
}

TEST_F(MainWindowTest, DeletesSeveralSelectedEntries) {
  MainWindow& w = window();
  for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp"}) w.addFile(file(name));
  select(0);
  select(2);
  w.deleteSelected();
  EXPECT_EQ(entries(), (std::vector<fs::path>{dir / "b.bmp", dir / "d.bmp"}));
  EXPECT_EQ(w.fileListWidget()->count(), 2);
}

TEST_F(MainWindowTest, ASecondFileOfTheSameNameReplacesOnlyWhenConfirmed) {
  MainWindow& w = window();
  const fs::path first = file("e/a/x.bmp"), second = file("f/b/x.bmp"), other = file("y.mp3");
  w.addFile(first);
  w.addFile(other);

  dialogs.overwriteAnswers = {false};
  EXPECT_FALSE(w.addFile(second));
  EXPECT_EQ(entries(), (std::vector<fs::path>{first, other}));

  dialogs.overwriteAnswers = {true};
  EXPECT_TRUE(w.addFile(second));
  EXPECT_EQ(entries(), (std::vector<fs::path>{second, other})) << "replaced at the first entry's position";
  ASSERT_EQ(dialogs.overwrites.size(), 2u);
  EXPECT_EQ(dialogs.overwrites[1].newFile, second);
  EXPECT_EQ(dialogs.overwrites[1].currentFile, first);
  EXPECT_EQ(w.fileListWidget()->item(0)->text().toStdString(), second.string());
}

TEST_F(MainWindowTest, NamesAreComparedExactly) {
  MainWindow& w = window();
  w.addFile(file("a/x.bmp"));
  w.addFile(file("b/X.BMP"));
  EXPECT_EQ(entries().size(), 2u);
  EXPECT_TRUE(dialogs.overwrites.empty());
  w.addFile(dir / "missing.bmp");
  EXPECT_EQ(entries().size(), 2u) << "a file that does not exist is not added";
}

TEST_F(MainWindowTest, AddFilesUsesTheDialogAndRemembersTheFolder) {
  MainWindow& w = window();
  dialogs.filesToChoose = {file("pics/a.bmp"), file("pics/b.gif")};
  w.addFiles();
  EXPECT_EQ(entries(), dialogs.filesToChoose);
  ASSERT_EQ(dialogs.fileStarts.size(), 1u);
  EXPECT_EQ(dialogs.fileStarts[0].toStdString(), setup.documents.string()) << "no profile value yet";
  EXPECT_EQ(Profile(setup.profileFile).read(kFilePathKey).toStdString(), (dir / "pics").string() + "/");

  dialogs.filesToChoose.clear();
  w.addFiles();
  EXPECT_EQ(dialogs.fileStarts[1].toStdString(), (dir / "pics").string() + "/");
}

TEST_F(MainWindowTest, AddFolderScansItAndRemembersIt) {
  MainWindow& w = window();
  file("drill/sub/pic.gif");
  file("drill/sub/empty.txt", "");
  file("drill/notes.doc");
  file("drill/q.txt", "x");
  dialogs.folderToChoose = dir / "drill";
  w.addFolder();
  EXPECT_EQ(entries(), (std::vector<fs::path>{dir / "drill/q.txt", dir / "drill/sub/pic.gif"}));
  EXPECT_EQ(Profile(setup.profileFile).read(kFolderPathKey).toStdString(), (dir / "drill").string() + "/");
  EXPECT_EQ(dialogs.folderStarts.at(0).toStdString(), setup.documents.string());
  w.addFolder();
  EXPECT_EQ(dialogs.folderStarts.at(1).toStdString(), (dir / "drill").string() + "/");
}

TEST_F(MainWindowTest, AFolderThatCannotBeReadIsNamedInAWarning) {
  MainWindow& w = window();
  dialogs.folderToChoose = dir / "gone";
  w.addFolder();
  ASSERT_EQ(dialogs.warnings.size(), 1u);
  EXPECT_EQ(dialogs.warnings[0].toStdString(),
            "cannot read " + (dir / "gone").string() + ": No such file or directory; it is left out");
  file("drill/q.txt", "x");
  dialogs.folderToChoose = dir / "drill";
  w.addFolder();
  EXPECT_EQ(dialogs.warnings.size(), 1u) << "a folder read whole is no warning";
  EXPECT_EQ(entries(), (std::vector<fs::path>{dir / "drill/q.txt"}));
}

TEST_F(MainWindowTest, DroppedFolderAddsItsAcceptedNonEmptyFiles) {
  MainWindow& w = window();
  file("drop/sub/pic.gif");
  file("drop/sub/empty.txt", "");
  w.dropPaths({dir / "drop"});
  EXPECT_EQ(entries(), (std::vector<fs::path>{dir / "drop/sub/pic.gif"}));
  EXPECT_EQ(Profile(setup.profileFile).read(kFolderPathKey).toStdString(), (dir / "drop").string())
      << "a dropped folder is remembered without a trailing slash";
  EXPECT_TRUE(w.makeButton()->isEnabled());
}

TEST_F(MainWindowTest, DroppedFilesAddAcceptedOnesAndRememberTheFirstFolder) {
  MainWindow& w = window();
  w.dropPaths({file("p/readme.doc"), file("q/a.mp3"), file("r/b.bmp")});
  EXPECT_EQ(entries(), (std::vector<fs::path>{dir / "q/a.mp3", dir / "r/b.bmp"}));
  EXPECT_EQ(Profile(setup.profileFile).read(kFilePathKey).toStdString(), (dir / "q").string() + "/");
}

TEST_F(MainWindowTest, DroppedWorkbooksAreSourceTextsAndTwoAreNamed) {
  MainWindow& w = window();
  w.dropPaths({file("w/quiz.xlsx"), file("w/other.ODS"), file("w/b.bmp")});
  EXPECT_EQ(entries(), (std::vector<fs::path>{dir / "w/quiz.xlsx", dir / "w/other.ODS", dir / "w/b.bmp"}));
  w.make();
  EXPECT_EQ(w.display().current(), status::kTooManyTexts);
  EXPECT_EQ(w.overlay()->detail().toStdString(), (dir / "w/quiz.xlsx").string() + "\n" + (dir / "w/other.ODS").string());
  EXPECT_TRUE(fileDialogFilter().contains("*.xlsx *.ods"));
}

TEST_F(MainWindowTest, WidestEntrySetsTheHorizontalExtent) {
  MainWindow& w = window();
  w.addFile(file("a.bmp"));
  w.addFile(file("ドリル.bmp"));
  const int expected = static_cast<int>((dir / "ドリル.bmp").string().size());  // 3 kana: 9 bytes, width 6
  EXPECT_EQ(w.widest(), expected - 3);
  EXPECT_EQ(w.fileListWidget()->item(0)->sizeHint().width(), w.widest() * kPixelsPerWidthUnit);
}

TEST_F(MainWindowTest, EnterAndEscapeLeaveTheWindowOpen) {
  MainWindow& w = window();
  key(Qt::Key_Return);
  key(Qt::Key_Enter);
  key(Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_TRUE(w.isVisible());
  w.close();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.exitStatus(), 0);
}

TEST_F(MainWindowTest, ExitClosesWithItsStatus) {
  MainWindow& w = window();
  key(Qt::Key_X, Qt::ControlModifier);
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(w.exitStatus(), kExitCommandStatus);
}

TEST_F(MainWindowTest, AboutByKey) {
  window();
  key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(dialogs.abouts, 1);
}

TEST_F(MainWindowTest, KeysDismissResultPicturesButNotProgressPictures) {
  MainWindow& w = window();
  w.addFile(file("a.bmp"));
  for (int id : {status::kChecking, status::kBuilding}) {
    w.showStatusPicture(id, false);
    key(Qt::Key_Space);
    EXPECT_EQ(w.display().current(), id) << id;
    EXPECT_TRUE(w.overlay()->isVisible());
    EXPECT_TRUE(w.overlay()->progressShown());
    EXPECT_FALSE(w.addFilesButton()->isEnabled());
    w.hideStatusPictures();
  }
  for (int id : {status::kCreated, status::kTooManyTexts, status::kNoText, status::kNotWritable,
                 status::kDiskFull, status::kTooLarge}) {
    w.showStatusPicture(id, true);
    EXPECT_FALSE(w.overlay()->progressShown());
    EXPECT_FALSE(w.makeButton()->isEnabled()) << id;
    key(Qt::Key_Q);
    EXPECT_FALSE(w.display().showing()) << id;
    EXPECT_FALSE(w.overlay()->isVisible()) << id;
    EXPECT_TRUE(w.makeButton()->isEnabled()) << id;
    EXPECT_TRUE(w.addFilesButton()->isEnabled()) << id;
  }
}

TEST_F(MainWindowTest, AClickDismissesResultAndErrorPicturesAndTheyShowTheHint) {
  MainWindow& w = window();
  w.addFile(file("a.bmp"));
  for (int id : {status::kChecking, status::kBuilding}) {
    w.showStatusPicture(id, false);
    EXPECT_FALSE(w.overlay()->hintShown()) << id;
    QTest::mouseClick(w.overlay(), Qt::LeftButton);
    EXPECT_EQ(w.display().current(), id) << id << ": a click leaves a progress picture";
    EXPECT_FALSE(w.addFilesButton()->isEnabled()) << id;
    w.hideStatusPictures();
  }
  for (int id : {status::kCreated, status::kTooManyTexts, status::kNoText, status::kNotWritable,
                 status::kDiskFull, status::kTooLarge}) {
    w.showStatusPicture(id, true);
    EXPECT_TRUE(w.overlay()->hintShown()) << id;
    EXPECT_EQ(std::string(kDismissHint), "キーを押すかクリックすると閉じます");
    QTest::mouseClick(w.overlay(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_FALSE(w.display().showing()) << id;
    EXPECT_FALSE(w.overlay()->isVisible()) << id;
    EXPECT_TRUE(w.makeButton()->isEnabled()) << id;
    EXPECT_TRUE(w.addFilesAction()->isEnabled()) << id;
  }
}

// The lines of the error pictures' red ink in a grab of the overlay: runs of
// rows that hold some of it, apart by more than a few rows.
int redLines(const QImage& image) {
  int lines = 0;
  int lastInk = -100;
  for (int y = 0; y < image.height(); ++y) {
    bool red = false;
    for (int x = 0; x < image.width() && !red; ++x) {
      const QColor c = image.pixelColor(x, y);
      red = c.red() > c.green() + 60 && c.red() > c.blue() + 60;
    }
    if (!red) continue;
    if (y - lastInk > 4) ++lines;
    lastInk = y;
  }
  return lines;
}

TEST_F(MainWindowTest, AtTheDefaultSizeEachErrorTextStandsOnOneLine) {
  MainWindow& w = window();
  ASSERT_EQ(w.size(), QSize(640, 420));
  for (int id : {status::kTooManyTexts, status::kNoText, status::kNotWritable, status::kDiskFull, status::kTooLarge}) {
    w.showStatusPicture(id, true);
    EXPECT_EQ(redLines(w.overlay()->grab().toImage()), 1) << statusText(id);
    key(Qt::Key_Space);
  }
}

TEST_F(MainWindowTest, WhileAPictureShowsTheMenuKeepsWhatTheRulesAllow) {
  MainWindow& w = window();
  w.addFile(file("a.bmp"));
  w.showStatusPicture(status::kCreated, true);
  for (QAction* action : {w.makeAction(), w.addFilesAction(), w.addFolderAction(), w.deleteAction()})
    EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
  // About and Exit stay; About from the menu leaves the picture.
  QList<QAction*> others;
  for (QAction* action : w.findChildren<QAction*>())
    if (action->text().startsWith(QStringLiteral("バージョン情報"))) others << action;
  ASSERT_EQ(others.size(), 1);
  EXPECT_TRUE(others[0]->isEnabled());
  others[0]->trigger();
  EXPECT_EQ(dialogs.abouts, 1);
  EXPECT_EQ(w.display().current(), status::kCreated);
  QTest::mouseClick(w.overlay(), Qt::LeftButton);
  EXPECT_TRUE(w.addFilesAction()->isEnabled());
  EXPECT_TRUE(w.makeAction()->isEnabled());
}

TEST_F(MainWindowTest, WhileAPictureShowsDropsAndTheMakeAndDeleteKeysDoNothing) {
  MainWindow& w = window();
  w.addFile(file("a.bmp"));
  select(0);
  w.showStatusPicture(status::kBuilding, false);
  w.dropPaths({file("b.bmp")});
  key(Qt::Key_D, Qt::ControlModifier);
  key(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(entries().size(), 1u);
  EXPECT_EQ(w.display().current(), status::kBuilding);
  w.hideStatusPictures();

  w.showStatusPicture(status::kCreated, true);
  w.dropPaths({file("b.bmp")});
  EXPECT_EQ(entries().size(), 1u) << "a drop while the result picture shows does nothing";
  key(Qt::Key_Q);
  EXPECT_FALSE(w.display().showing());
  w.dropPaths({file("b.bmp")});
  EXPECT_EQ(entries().size(), 2u);
}

TEST_F(MainWindowTest, PreBuildFailureShowsItsPictureUntilAKey) {
  MainWindow& w = window();
  w.addFile(file("one.txt", "x"));
  w.addFile(file("two.TXT", "y"));
  w.make();
  EXPECT_EQ(w.display().current(), status::kTooManyTexts);
  EXPECT_TRUE(w.display().dismissable());
  EXPECT_FALSE(w.runInProgress());
  EXPECT_FALSE(w.makeButton()->isEnabled());
  key(Qt::Key_Return);
  EXPECT_FALSE(w.display().showing());
  EXPECT_TRUE(w.makeButton()->isEnabled());
}

TEST_F(MainWindowTest, SeveralTextFilesAreNamedButNotTheReportOfTheSource) {
  MainWindow& w = window();
  w.addFile(file("one.txt", "x"));
  w.addFile(file("error-one.txt", "report of an earlier run"));
  w.addFile(file("sub/two.TXT", "y"));
  EXPECT_EQ(entries().size(), 2u);
  w.make();
  EXPECT_EQ(w.display().current(), status::kTooManyTexts);
  EXPECT_EQ(w.overlay()->detail().toStdString(), (dir / "one.txt").string() + "\n" + (dir / "sub/two.TXT").string());
  key(Qt::Key_Return);
  EXPECT_TRUE(w.overlay()->detail().isEmpty());
}

// A source with one good record and one without answer choices.
constexpr std::string_view kSource =
    "settings\t\t\t\x89\x70\x8C\xEA\x31\r\n"
    "c1\tc2\tc3\tno\tq\tans\tcomment\ttime\tcase1\tcase2\r\n"
    "A\tB\tC\t1\tq\t1\tcm\t\tx\ty\r\n"
    "A\tB\tC\t2\tq\t1\tcm\t\r\n";

TEST_F(MainWindowTest, AWorkFolderThatCannotBeWrittenShowsItsPictureFromTheStart) {
  writeFile(dir / "file", "a regular file: no folder can be made below it, not even by root");
  setup.workBase = dir / "file" / "sub";
  setup.workFolderError = ENOTDIR;
  std::vector<int> answers = {ENOTDIR, 0};
  setup.claimWorkFolder = [&answers] {
    const int answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  };
  MainWindow& w = window();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.display().current(), status::kNotWritable);
  EXPECT_EQ(pictureText(), "エラー:このディスクは読み取り専用です。");
  EXPECT_EQ(pictureDetail(), "作業フォルダ " + setup.workBase.string() + " に書き込めません: Not a directory");
  EXPECT_TRUE(w.overlay()->hintShown());
  EXPECT_FALSE(w.addFilesButton()->isEnabled());
  key(Qt::Key_Space);
  EXPECT_TRUE(w.addFilesButton()->isEnabled());

  // Make asks for the folder again and fails with the same picture.
  w.addFile(file("src/my.drill.txt", kSource));
  w.make();
  EXPECT_FALSE(w.runInProgress());
  EXPECT_EQ(w.display().current(), status::kNotWritable);
  EXPECT_EQ(pictureDetail(), "作業フォルダ " + setup.workBase.string() + " に書き込めません: Not a directory");
  EXPECT_EQ(answers.size(), 1u);
  key(Qt::Key_Space);

  // Once the folder can be used, the run goes ahead.
  fs::remove(dir / "file");
  dialogs.buildAfterReview = false;
  w.make();
  waitForRun();
  EXPECT_TRUE(answers.empty());
  EXPECT_TRUE(dialogs.failures.empty()) << dialogs.failures.front().toStdString();
  EXPECT_EQ(w.display().current(), status::kCreated);
}

TEST_F(MainWindowTest, InitialPathsFillTheListAsADropWould) {
  file("drill/q.txt", "x");
  file("drill/sub/pic.gif");
  file("drill/sub/empty.mp3", "");
  setup.initialPaths = {dir / "drill", file("other/s.mp3"), file("notes.doc"), dir / "missing.bmp"};
  MainWindow& w = window();
  EXPECT_EQ(entries(), (std::vector<fs::path>{dir / "drill/q.txt", dir / "drill/sub/pic.gif", dir / "other/s.mp3"}));
  ASSERT_EQ(w.fileListWidget()->count(), 3);
  EXPECT_EQ(w.fileListWidget()->item(2)->text().toStdString(), (dir / "other/s.mp3").string());
  EXPECT_TRUE(w.makeButton()->isEnabled());
  EXPECT_FALSE(w.display().showing());
  ASSERT_EQ(dialogs.warnings.size(), 2u);
  EXPECT_EQ(dialogs.warnings[0].toStdString(),
            "cannot read " + (dir / "missing.bmp").string() + ": No such file or directory; it is left out");
  EXPECT_EQ(dialogs.warnings[1].toStdString(),
            (dir / "notes.doc").string() +
                " is not a file of a drill (.txt, .xlsx, .ods, .bmp, .jpg, .jpeg, .gif, .mp3, .rmp); it is left out");
  EXPECT_EQ(Profile(setup.profileFile).read(kFolderPathKey), QString(kProfileNotSet))
      << "the choosers' folders stay as they were";
  EXPECT_EQ(Profile(setup.profileFile).read(kFilePathKey), QString(kProfileNotSet));
}

TEST_F(MainWindowTest, StopAfterTheErrorListDeliversTheReportOnly) {
  MainWindow& w = window();
  dialogs.buildAfterReview = false;
  w.addFile(file("src/my.drill.txt", kSource));
  w.make();
  waitForRun();
  EXPECT_TRUE(dialogs.failures.empty()) << dialogs.failures.front().toStdString();
  EXPECT_EQ(dialogs.reviews, 1);
  EXPECT_EQ(dialogs.reviewedValid, 1u);
  ASSERT_FALSE(dialogs.reviewed.empty());
  EXPECT_EQ(QString::fromStdU16String(dialogs.reviewed[0]), "00000004 行目  \tタブ数が8未満です。");
  EXPECT_EQ(w.display().current(), status::kCreated);
  const fs::path out = setup.desktop / kOutputFolderName;
  EXPECT_TRUE(fs::exists(out / "error-my.drill.txt"));
  EXPECT_FALSE(fs::exists(out / "my.drill.drl"));
  EXPECT_TRUE(fs::is_directory(setup.workBase / "TempUsr"));
  EXPECT_FALSE(fs::exists(setup.workBase / "TempUsr/Destin/Drill.chk")) << "work files are deleted";
}

TEST_F(MainWindowTest, ADeliveredFileIsReplacedOnlyWhenConfirmed) {
  MainWindow& w = window();
  dialogs.buildAfterReview = false;
  const fs::path old = setup.desktop / kOutputFolderName / "error-my.drill.txt";
  writeFile(old, "old report");
  w.addFile(file("src/my.drill.txt", kSource));
  dialogs.overwriteAnswers = {false};
  w.make();
  waitForRun();
  ASSERT_EQ(dialogs.overwrites.size(), 1u);
  EXPECT_EQ(dialogs.overwrites[0].currentFile, old);
  EXPECT_EQ(test::readFile(old), "old report");
  EXPECT_EQ(w.display().current(), status::kCreated);

  key(Qt::Key_Space);
  dialogs.overwriteAnswers = {true};
  w.make();
  waitForRun();
  EXPECT_NE(test::readFile(old), "old report");
}

// The result picture of whole runs: what it says, the files and the folder
// under it, and the button that opens the folder.
TEST_F(MainWindowTest, TheResultSaysWhatWasWrittenAndWhere) {
  const std::string where = "\nデスクトップ上のドリルフォルダに\n";
  const std::string badOnly = std::string(kSource.substr(0, kSource.find("A\tB\tC\t1"))) + "A\tB\tC\t2\tq\t1\tcm\t\r\n";
  struct Case {
    const char* what;
    std::string_view source;
    bool build;                        // the answer of the error list
    std::vector<std::string> earlier;  // delivered files of an earlier run
    bool overwrite;                    // the answer to the overwrite questions
    std::string text;
    std::string files;  // the lines naming the files
    bool preview;       // a drill was written: it can be previewed
  } cases[] = {
      {"drill and report", kSource, true, {}, true, statusText(status::kCreated),
       "作成したファイル: my.drill.drl, error-my.drill.txt\n", true},
      {"stopped at the error list", kSource, false, {}, true,
       "作成を中止しました。" + where + "エラーレポートだけを作成しました。",
       "作成したファイル: error-my.drill.txt\n", false},
      {"no valid question", badOnly, true, {}, true,
       "有効な問題がないため、\nドリルファイルは作成していません。" + where + "エラーレポートだけを作成しました。",
       "作成したファイル: error-my.drill.txt\n", false},
      {"both overwrites refused", kSource, true, {"my.drill.drl", "error-my.drill.txt"}, false,
       "ドリルファイルは上書きしませんでした。\nファイルは何も作成していません。",
       "上書きしなかったファイル: my.drill.drl, error-my.drill.txt\n", false},
      {"stopped, the report's overwrite refused", kSource, false, {"error-my.drill.txt"}, false,
       "作成を中止しました。\nファイルは何も作成していません。",
       "上書きしなかったファイル: error-my.drill.txt\n", false},
  };
  const fs::path out = setup.desktop / kOutputFolderName;
  const fs::path source = file("src/my.drill.txt");
  MainWindow& w = window();
  w.addFile(source);
  for (const Case& c : cases) {
    writeFile(source, c.source);
    fs::remove_all(out);
    for (const std::string& name : c.earlier) writeFile(out / name, "earlier");
    dialogs.buildAfterReview = c.build;
    dialogs.overwriteAnswers.assign(c.earlier.size(), c.overwrite);
    w.make();
    waitForRun();
    ASSERT_TRUE(dialogs.failures.empty()) << c.what << ": " << dialogs.failures.front().toStdString();
    EXPECT_EQ(w.display().current(), status::kCreated) << c.what;
    EXPECT_EQ(pictureText(), c.text) << c.what;
    EXPECT_EQ(pictureDetail(), c.files + "保存先: " + out.string()) << c.what;
    EXPECT_TRUE(folderButtonShown()) << c.what;
    EXPECT_EQ(previewButtonShown(), c.preview) << c.what;
    for (const std::string& name : c.earlier) {
      if (!c.overwrite) {
        EXPECT_EQ(test::readFile(out / name), "earlier") << c.what << ": " << name;
      }
    }
    QTest::mouseClick(w.overlay(), Qt::LeftButton);
    ASSERT_FALSE(w.display().showing()) << c.what;
  }
}

TEST_F(MainWindowTest, TheFolderButtonOpensTheDeliveryFolder) {
  MainWindow& w = window();
  dialogs.buildAfterReview = false;
  w.addFile(file("src/my.drill.txt", kSource));
  w.make();
  waitForRun();
  ASSERT_TRUE(folderButtonShown());
  EXPECT_EQ(w.overlay()->folderButton()->text().toStdString(), "フォルダを開く");
  QTest::mouseClick(w.overlay()->folderButton(), Qt::LeftButton);
  EXPECT_EQ(openedFolders, std::vector<fs::path>{setup.desktop / kOutputFolderName});
  EXPECT_EQ(w.display().current(), status::kCreated) << "the button leaves the picture";
  QTest::mouseClick(w.overlay(), Qt::LeftButton);
  EXPECT_FALSE(w.display().showing());

  w.showStatusPicture(status::kDiskFull, true);
  EXPECT_FALSE(folderButtonShown()) << "an error picture has no folder to show";
}

// The drill a run wrote, and any drill the user picks, open as a web page
// written into the work tree.
TEST_F(MainWindowTest, TheDrillCanBePreviewedAfterTheRunAndFromTheMenu) {
  MainWindow& w = window();
  w.addFile(file("src/my.drill.txt", kSource));
  w.make();
  waitForRun();
  ASSERT_TRUE(dialogs.failures.empty());
  ASSERT_TRUE(previewButtonShown());
  EXPECT_EQ(w.overlay()->previewButton()->text().toStdString(), "プレビュー");
  const fs::path page = w.previewFolder() / "index.html";
  EXPECT_EQ(w.previewFolder(), setup.workBase / "TempUsr" / "Preview");
  writeFile(w.previewFolder() / "media" / "stale.png", "from an earlier preview");
  QTest::mouseClick(w.overlay()->previewButton(), Qt::LeftButton);
  ASSERT_EQ(openedPages, std::vector<fs::path>{page});
  const std::string html = test::readFile(page);
  EXPECT_NE(html.find("my.drill"), std::string::npos);
  EXPECT_NE(html.find("(1) x"), std::string::npos) << "a choice of the question";
  EXPECT_FALSE(fs::exists(w.previewFolder() / "media" / "stale.png")) << "an earlier preview's files go";
  EXPECT_EQ(w.display().current(), status::kCreated) << "the button leaves the picture";
  QTest::mouseClick(w.overlay(), Qt::LeftButton);

  // The menu entry, for a drill the user picks; it starts in the delivery folder.
  EXPECT_TRUE(w.previewAction()->isEnabled());
  dialogs.drillToChoose = setup.desktop / kOutputFolderName / "my.drill.drl";
  w.previewAction()->trigger();
  EXPECT_EQ(dialogs.drillStarts, std::vector<QString>{QString::fromStdString((setup.desktop / kOutputFolderName).string())});
  EXPECT_EQ(openedPages.size(), 2u);

  // A file that is no drill is named, and nothing opens.
  dialogs.drillToChoose = file("notes.drl", "not a drill container");
  w.previewAction()->trigger();
  EXPECT_EQ(openedPages.size(), 2u);
  ASSERT_EQ(dialogs.warnings.size(), 1u);
  EXPECT_TRUE(dialogs.warnings[0].contains("notes.drl")) << dialogs.warnings[0].toStdString();

  dialogs.drillToChoose.reset();  // cancelled
  w.previewAction()->trigger();
  EXPECT_EQ(openedPages.size(), 2u);
  EXPECT_EQ(dialogs.warnings.size(), 1u);
}

TEST_F(MainWindowTest, APassFailureShowsItsTextAndLeavesTheWindowUsable) {
  writeFile(setup.workBase / "TempUsr", "a file where the work tree belongs");
  MainWindow& w = window();
  w.addFile(file("src/my.drill.txt", kSource));
  w.make();
  waitForRun();
  ASSERT_EQ(dialogs.failures.size(), 1u);
  EXPECT_FALSE(dialogs.failures[0].isEmpty());
  EXPECT_EQ(dialogs.reviews, 0);
  EXPECT_FALSE(w.display().showing());
  EXPECT_TRUE(w.makeButton()->isEnabled());
  EXPECT_TRUE(w.addFilesButton()->isEnabled());
  EXPECT_FALSE(fs::exists(setup.desktop / kOutputFolderName / "error-my.drill.txt"));

  fs::remove(setup.workBase / "TempUsr");
  dialogs.buildAfterReview = false;
  w.make();
  waitForRun();
  EXPECT_EQ(dialogs.failures.size(), 1u);
  EXPECT_EQ(w.display().current(), status::kCreated) << "the next run works";
}

TEST_F(MainWindowTest, ClosingDuringARunReleasesTheWaitingPass) {
  MainWindow& w = window();
  w.addFile(file("src/my.drill.txt", kSource));
  w.make();
  EXPECT_TRUE(w.runInProgress());
  window_.reset();  // the check pass waits for the window's answer: it must not hang
  EXPECT_EQ(dialogs.reviews, 0);
}

TEST_F(MainWindowTest, AWholeRunDeliversTheDrillToTheDesktopFolder) {
  setup.keepWorkTree = true;
  MainWindow& w = window();
  w.addFile(file("src/my.drill.txt", kSource));
  testing::internal::CaptureStdout();
  w.make();
  EXPECT_EQ(w.display().current(), status::kChecking);
  EXPECT_FALSE(w.addFilesButton()->isEnabled());
  waitForRun();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "the phases' texts go to the window's log";
  const std::vector<std::string> log = w.runLog().lines();
  EXPECT_NE(std::find(log.begin(), log.end(), "== compiling the dictionary"), log.end());
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& l) { return l.find("words=") != l.npos; }));
  EXPECT_TRUE(dialogs.failures.empty()) << dialogs.failures.front().toStdString();
  EXPECT_EQ(dialogs.reviews, 1);
  EXPECT_EQ(w.display().current(), status::kCreated);
  const fs::path out = setup.desktop / kOutputFolderName;
  EXPECT_TRUE(fs::exists(out / "my.drill.drl"));
  EXPECT_TRUE(fs::exists(out / "error-my.drill.txt"));
  EXPECT_TRUE(fs::exists(setup.workBase / "TempUsr/Destin/Drill.bin")) << "/d keeps the work files";
  key(Qt::Key_Space);
  EXPECT_TRUE(w.makeButton()->isEnabled());
}

TEST_F(MainWindowTest, TheCellStylesOptionKeepsAWorkbooksStylesAsMarkup) {
  setup.keepWorkTree = true;
  MainWindow& w = window();
  EXPECT_FALSE(w.cellStylesAction()->isChecked());
  w.cellStylesAction()->setChecked(true);
  w.addFile(file("src/styles.xlsx", test::readFile(fs::path(DRILLMAKER_SOURCE_DIR) / "tests/workbook/data/styles.xlsx")));
  w.make();
  waitForRun();
  const std::string converted = test::readFile(setup.workBase / "TempUsr/Trash/Drill.uni");
  const std::string boldCell = std::string("<\0B\0>\0b\0o\0l\0d\0", 14);  // "<B>bold" in UTF-16LE
  EXPECT_NE(converted.find(boldCell), std::string::npos);
}

TEST_F(MainWindowTest, ADeliveryThatCannotBeWrittenIsAFailureNotACreatedFile) {
  MainWindow& w = window();
  const fs::path out = setup.desktop / kOutputFolderName;
  writeFile(out, "a file where the drill folder belongs");
  w.addFile(file("src/my.drill.txt", kSource));
  w.make();
  waitForRun();
  ASSERT_EQ(dialogs.failures.size(), 1u);
  EXPECT_EQ(dialogs.failures[0].toStdString(), "cannot write " + (out / "my.drill.drl").string() + ": Not a directory");
  EXPECT_NE(w.display().current(), status::kCreated);
  EXPECT_EQ(w.overlay()->picture(), nullptr);
  EXPECT_TRUE(w.makeButton()->isEnabled());
}

TEST_F(MainWindowTest, TheResultNamesAPictureThatCouldNotBeReadDuringTheBuild) {
  MainWindow& w = window();
  const fs::path picture =
      file("src/cat.bmp", test::readFile(fs::path(DRILLMAKER_SOURCE_DIR) / "examples" / "quickstart" / "cat.bmp"));
  std::string source(kSource);
  source.replace(source.find("\tq\t1\tcm\t\tx"), 2, "\tq<P>cat.bmp</P>");
  w.addFile(file("src/my.drill.txt", source));
  w.addFile(picture);
  dialogs.duringReview = [&] { fs::remove(picture); };
  w.make();
  waitForRun();
  EXPECT_TRUE(dialogs.failures.empty()) << dialogs.failures.front().toStdString();
  EXPECT_EQ(w.display().current(), status::kCreated);
  EXPECT_TRUE(fs::exists(setup.desktop / kOutputFolderName / "my.drill.drl"));
  ASSERT_NE(w.overlay()->picture(), nullptr);
  EXPECT_EQ(w.overlay()->picture()->text, statusText(status::kCreated) + "\nthe picture " + picture.string() +
                                              " could not be read during the build (No such file or directory); "
                                              "the default picture stands in its place");
}

}  // namespace
}  // namespace dm::ui
