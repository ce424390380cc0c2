#include "driver/file_list.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "support/temp_dir.h"

namespace dm {
namespace {

using test::TempDir;
using test::writeFile;

class Answer : public ReplaceConfirmer {
 public:
  explicit Answer(bool yes) : yes_(yes) {}
  bool confirmReplace(const fs::path& newPath, const fs::path& listedPath) override {
    ++asked;
    return yes_;
  }
  int asked = 0;

 private:
  bool yes_;
};

TEST(FileList, AcceptedExtensions) {
  for (const char* name : {"a.txt", "b.BMP", "c.jpg", "d.JPEG", "e.gif", "f.mp3", "g.RMP", "h.tar.gz.txt"})
    EXPECT_TRUE(isAcceptedFile(name)) << name;
  for (const char* name : {"a.png", "b", "c.wav", "d.txt.bak", "dir.txt/file"}) EXPECT_FALSE(isAcceptedFile(name)) << name;
}

TEST(FileList, SameNameReplacesInPlaceOnlyWhenConfirmed) {
  TempDir dir;
  for (const char* p : {"e/a/x.bmp", "f/b/x.bmp", "g/y.mp3", "h/X.BMP"}) writeFile(dir / p, "1");
  FileList list;
  Answer no(false), yes(true);
  EXPECT_TRUE(list.addFile(dir / "e/a/x.bmp", no));
  EXPECT_TRUE(list.addFile(dir / "g/y.mp3", no));
  EXPECT_FALSE(list.addFile(dir / "f/b/x.bmp", no));
  EXPECT_EQ(list.entries()[0], dir / "e/a/x.bmp");
  EXPECT_TRUE(list.addFile(dir / "f/b/x.bmp", yes));
  EXPECT_EQ(list.entries(), (std::vector<fs::path>{dir / "f/b/x.bmp", dir / "g/y.mp3"}));
  // Names compare exactly here: X.BMP is another name.
  EXPECT_TRUE(list.addFile(dir / "h/X.BMP", no));
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(no.asked + yes.asked, 2);
  EXPECT_FALSE(list.addFile(dir / "missing.bmp", yes));
}

TEST(FileList, DeletedNamesStayKnownButAreAddedAgainWithoutAsking) {
  TempDir dir;
  writeFile(dir / "a/x.bmp", "1");
  writeFile(dir / "b/x.bmp", "1");
  FileList list;
  Answer no(false);
  list.addFile(dir / "a/x.bmp", no);
  list.remove({0});
  EXPECT_TRUE(list.empty());
  EXPECT_TRUE(list.addFile(dir / "b/x.bmp", no));
  EXPECT_EQ(no.asked, 0);
}

TEST(FileList, RemoveManyIndexes) {
  TempDir dir;
  FileList list;
  Answer no(false);
  for (const char* n : {"a.txt", "b.bmp", "c.bmp", "d.bmp"}) {
    writeFile(dir / n, "1");
    list.addFile(dir / n, no);
  }
  list.remove({3, 1, 1, 9});
  EXPECT_EQ(list.entries(), (std::vector<fs::path>{dir / "a.txt", dir / "c.bmp"}));
}

TEST(FileList, ScanFolderAddsNonEmptyAcceptedFilesDepthFirst) {
  TempDir dir;
  writeFile(dir / "drop/sub/pic.gif", "GIF");
  writeFile(dir / "drop/sub/empty.txt", "");
  writeFile(dir / "drop/notes.doc", "x");
  writeFile(dir / "drop/a.txt", "x");
  writeFile(dir / "elsewhere/far.mp3", "x");
  fs::create_directory_symlink(dir / "elsewhere", dir / "drop/link");
  fs::create_directory_symlink(dir / "drop", dir / "drop/sub/loop");
  FileList list;
  Answer no(false);
  EXPECT_TRUE(list.scanFolder(dir / "drop", no));
  EXPECT_EQ(list.entries(), (std::vector<fs::path>{dir / "drop/a.txt", dir / "drop/sub/pic.gif"}));
  EXPECT_FALSE(list.scanFolder(dir / "nothing-here", no));
}

TEST(FileList, TheCheckReportBesideItsSourceIsLeftOut) {
  TempDir dir;
  for (const char* p : {"d/quiz.txt", "d/error-quiz.txt", "d/Abc.TXT", "d/error-Abc.txt", "d/error-zzz.txt",
                        "e/error-quiz.txt", "d/pic.bmp"})
    writeFile(dir / p, "x");
  Answer no(false);
  FileList scanned;
  // In name order the report of Abc comes after it, the report of quiz before it.
  EXPECT_TRUE(scanned.scanFolder(dir / "d", no));
  EXPECT_EQ(scanned.entries(),
            (std::vector<fs::path>{dir / "d/Abc.TXT", dir / "d/error-zzz.txt", dir / "d/pic.bmp", dir / "d/quiz.txt"}));

  // Added one by one, in either order; a report from another folder stays.
  FileList added;
  for (const char* p : {"d/error-quiz.txt", "e/error-quiz.txt", "d/quiz.txt", "d/error-quiz.txt"})
    added.addFile(dir / p, no);
  EXPECT_EQ(added.entries(), (std::vector<fs::path>{dir / "d/quiz.txt"}));
  EXPECT_EQ(no.asked, 1) << "e/error-quiz.txt has the name of the listed d/error-quiz.txt";
  EXPECT_TRUE(isReportOf(dir / "d/error-my.words.txt", dir / "d/my.words.TXT"));
  EXPECT_FALSE(isReportOf(dir / "d/error-quiz.txt", dir / "d/quiz.bmp"));
}

TEST(FileList, FoldersThatCannotBeReadAreNamed) {
  TempDir dir;
  writeFile(dir / "drop/a.txt", "x");
  // A folder whose path is longer than the system takes cannot be read, by
  // root neither; it is made step by step below a short one.
  const std::string level(200, 'n');
  int fd = ::open((dir / "drop").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int i = 0; i < 25; ++i) {
    ASSERT_EQ(::mkdirat(fd, level.c_str(), 0755), 0);
    int next = ::openat(fd, level.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    ASSERT_GE(next, 0);
    fd = next;
  }
  ::close(fd);
  fs::path deep = dir / "drop";
  fs::path unreadable;
  for (int i = 0; i < 25; ++i) {
    deep /= level;
    if (unreadable.empty() && deep.string().size() >= PATH_MAX) unreadable = deep;
  }
  FileList list;
  Answer no(false);
  EXPECT_TRUE(list.scanFolder(dir / "drop", no));
  EXPECT_EQ(list.entries(), (std::vector<fs::path>{dir / "drop/a.txt"}));
  ASSERT_EQ(list.unreadableFolders().size(), 1u);
  EXPECT_EQ(list.unreadableFolders()[0].folder, unreadable);
  EXPECT_EQ(list.unreadableFolders()[0].error, std::errc::filename_too_long);

  EXPECT_FALSE(list.scanFolder(dir / "nothing-here", no));
  ASSERT_EQ(list.unreadableFolders().size(), 1u) << "each scan names its own";
  EXPECT_EQ(list.unreadableFolders()[0].folder, dir / "nothing-here");
}

TEST(FileList, DisplayWidth) {
  EXPECT_EQ(displayWidth(u"abc"), 3);
  EXPECT_EQ(displayWidth(u"ドリルa"), 7);
}

}  // namespace
}  // namespace dm
