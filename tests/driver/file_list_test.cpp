#include "driver/file_list.h"

#include <gtest/gtest.h>

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

TEST(FileList, DisplayWidth) {
  EXPECT_EQ(displayWidth(u"abc"), 3);
  EXPECT_EQ(displayWidth(u"ドリルa"), 7);
}

}  // namespace
}  // namespace dm
