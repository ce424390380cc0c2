#include "platform/platform.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iterator>

#include "support/fifo.h"
#include "support/temp_dir.h"

namespace dm::platform {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(WorkBase, EnvironmentOverridesAndIsCreated) {
  TempDir dir;
  setenv("DRILLMAKER_WORK_BASE", (dir / "base").c_str(), 1);
  EXPECT_EQ(workBase(), dir / "base");
  EXPECT_TRUE(fs::is_directory(dir / "base"));
  unsetenv("DRILLMAKER_WORK_BASE");
  setenv("XDG_CACHE_HOME", (dir / "cache").c_str(), 1);
  EXPECT_EQ(workBase(), dir / "cache" / "drillmaker");
  unsetenv("XDG_CACHE_HOME");
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstEnds) {
  TempDir dir;
  const fs::path lockFile = dir / kInstanceLockName;
  auto first = std::make_unique<InstanceLock>();
  ASSERT_TRUE(first->acquire(lockFile));
  InstanceLock second;
  EXPECT_FALSE(second.acquire(lockFile));
  first.reset();
  EXPECT_TRUE(second.acquire(lockFile));
}

TEST(InstanceLock, TellsAHeldLockFromOneThatCannotBeCreated) {
  TempDir dir;
  writeFile(dir / "file", "x");
  InstanceLock first, second, nowhere;
  ASSERT_TRUE(first.acquire(dir / kInstanceLockName));
  EXPECT_FALSE(second.acquire(dir / kInstanceLockName));
  EXPECT_EQ(second.openError(), 0) << "held by another";
  EXPECT_FALSE(nowhere.acquire(dir / "file" / kInstanceLockName));
  EXPECT_EQ(nowhere.openError(), ENOTDIR);
  EXPECT_FALSE(nowhere.held());
}

TEST(CopyFile, CopiesRefusesToReplaceUnlessAskedAndReportsErrors) {
  TempDir dir;
  writeFile(dir / "a", "new content");
  writeFile(dir / "b", "old");
  EXPECT_EQ(copyFile(dir / "a", dir / "b", false), std::errc::file_exists);
  EXPECT_EQ(readFile(dir / "b"), "old");
  EXPECT_FALSE(copyFile(dir / "a", dir / "b", true));
  EXPECT_EQ(readFile(dir / "b"), "new content");
  EXPECT_FALSE(copyFile(dir / "a", dir / "c", false));
  EXPECT_EQ(readFile(dir / "c"), "new content");
  EXPECT_EQ(copyFile(dir / "missing", dir / "d", true), std::errc::no_such_file_or_directory);
  EXPECT_FALSE(fs::exists(dir / "d"));
  // A folder that cannot take the copy leaves no partial file behind.
  EXPECT_TRUE(copyFile(dir / "a", dir / "nofolder" / "x", true));
  for (const auto& e : fs::directory_iterator(dir.path()))
    EXPECT_EQ(e.path().filename().string().find(".partial"), std::string::npos);
}

TEST(OpenRegularFile, ReadsRegularFilesAndRefusesEverythingElseWithoutWaiting) {
  TempDir dir;
  writeFile(dir / "picture.bmp", "BM bytes");
  ASSERT_TRUE(test::makeFifo(dir / "fifo.bmp"));
  fs::create_directories(dir / "folder.bmp");
  struct Case {
    const char* name;
    std::error_code error;  // empty: opens and reads "BM bytes"
  };
  const Case cases[] = {
      {"picture.bmp", {}},
      {"missing.bmp", std::make_error_code(std::errc::no_such_file_or_directory)},
      {"fifo.bmp", notRegularFileError()},
      {"folder.bmp", notRegularFileError()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = dir / c.name;
    EXPECT_TRUE(test::endsWithoutWaitingOn(path, [&] {
      std::error_code error;
      const int fd = openRegularFile(path, error);
      EXPECT_EQ(fd >= 0, !c.error);
      EXPECT_EQ(error, c.error);
      if (fd >= 0) ::close(fd);

      InputFile in(path);
      EXPECT_EQ(in.is_open(), !c.error);
      EXPECT_EQ(static_cast<bool>(in), !c.error);
      EXPECT_EQ(in.error(), c.error);
      if (in.is_open()) {
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "BM bytes");
      }
    }));
  }
  EXPECT_EQ(notRegularFileError().message(), "Not a regular file");
}

TEST(InputFile, SeeksLikeAFileStream) {
  TempDir dir;
  writeFile(dir / "a", "0123456789");
  InputFile in(dir / "a");
  in.seekg(0, std::ios::end);
  EXPECT_EQ(in.tellg(), 10);
  in.seekg(4);
  char c = 0;
  EXPECT_TRUE(in.get(c));
  EXPECT_EQ(c, '4');
}

TEST(CopyFile, AFifoSourceIsRefusedWithoutWaiting) {
  TempDir dir;
  ASSERT_TRUE(test::makeFifo(dir / "fifo.mp3"));
  EXPECT_TRUE(test::endsWithoutWaitingOn(dir / "fifo.mp3", [&] {
    EXPECT_EQ(copyFile(dir / "fifo.mp3", dir / "copy.mp3", true), notRegularFileError());
  }));
  EXPECT_FALSE(fs::exists(dir / "copy.mp3"));
}

TEST(WithSystemError, PutsTheReasonBeforeTheLineEnd) {
  struct Case {
    const char* message;
    int err;
    const char* expected;
  } cases[] = {
      {"can't write file x\n", ENOSPC, "can't write file x: No space left on device\n"},
      {"can't write file x", ENOSPC, "can't write file x: No space left on device"},
      {"can't open file x\n", 0, "can't open file x\n"},
      {"", EACCES, ": Permission denied"},
  };
  for (const Case& c : cases) EXPECT_EQ(withSystemError(c.message, c.err), c.expected) << c.message;
}

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CopyFile, TheLongestNameTheFolderTakesIsWrittenAndReplaced) {
  TempDir dir;
  writeFile(dir / "src" / "a", "new content");
  const std::string longest(maxNameLength(dir.path()), 'n');
  EXPECT_FALSE(copyFile(dir / "src" / "a", dir / longest, false));
  EXPECT_EQ(readFile(dir / longest), "new content");
  writeFile(dir / "src" / "a", "newer content");
  EXPECT_FALSE(copyFile(dir / "src" / "a", dir / longest, true));
  EXPECT_EQ(readFile(dir / longest), "newer content");
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{longest, "src"}));
}

TEST(CopyFile, TheTemporaryNameIsNoLonger) {
  const std::pair<const char*, const char*> cases[] = {
      {"/d/quiz.drl", "/d/quiz.dr~"}, {"/d/error-x.txt", "/d/error-x.tx~"}, {"/d/a~", "/d/a#"}, {"x", "~"}};
  for (const auto& [to, temp] : cases) EXPECT_EQ(deliveryTemporary(to), fs::path(temp)) << to;

}

TEST(CopyFile, AFileOfTheTemporaryNameIsNeverTouchedWhereCopiesAreUnnamed) {
  TempDir dir;
  const int probe = ::open(dir.path().c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
  if (probe < 0) GTEST_SKIP() << "this file system has no unnamed files";
  ::close(probe);
  writeFile(dir / "src" / "a", "new content");
  writeFile(dir / "quiz.drl", "old content");
  writeFile(dir / "quiz.dr~", "the user's own");
  writeFile(dir / "quiz.dr#", "the user's own too");
  EXPECT_FALSE(copyFile(dir / "src" / "a", dir / "quiz.drl", true));
  EXPECT_EQ(readFile(dir / "quiz.drl"), "new content");
  EXPECT_EQ(readFile(dir / "quiz.dr~"), "the user's own");
  EXPECT_EQ(readFile(dir / "quiz.dr#"), "the user's own too");
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"quiz.dr#", "quiz.drl", "quiz.dr~", "src"}));
}

TEST(CopyThroughTemporary, ReplacesAndLeavesNoTemporaryEvenAtTheLongestName) {
  TempDir dir;
  writeFile(dir / "src" / "a", "new content");
  const std::string longest(maxNameLength(dir.path()), 'n');
  writeFile(deliveryTemporary(dir / longest), "left by an interrupted run");
  EXPECT_FALSE(copyThroughTemporary(dir / "src" / "a", dir / longest, false));
  EXPECT_EQ(readFile(dir / longest), "new content");
  EXPECT_EQ(copyThroughTemporary(dir / "src" / "a", dir / longest, false), std::errc::file_exists);
  writeFile(dir / "src" / "a", "newer content");
  EXPECT_FALSE(copyThroughTemporary(dir / "src" / "a", dir / longest, true));
  EXPECT_EQ(readFile(dir / longest), "newer content");
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{longest, "src"}));
  EXPECT_TRUE(copyThroughTemporary(dir / "src" / "a", dir / "nofolder" / "x", true));
}

TEST(RemoveFolderTree, RemovesTheTreeButNothingALinkPointsTo) {
  TempDir dir;
  writeFile(dir / "outside" / "keep.txt", "precious");
  writeFile(dir / "tree" / "a.txt", "x");
  writeFile(dir / "tree" / ".hidden", "x");
  writeFile(dir / "tree" / "sub" / "deeper" / "b.txt", "x");
  fs::create_directory_symlink(dir / "outside", dir / "tree" / "sub" / "link");
  fs::create_directory_symlink(dir / "outside", dir / "linked-tree");
  removeFolderTree((dir / "tree").c_str(), (dir / "tree.aside").c_str());
  removeFolderTree((dir / "linked-tree").c_str(), (dir / "linked-tree.aside").c_str());
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"linked-tree", "outside"}));
  EXPECT_EQ(readFile(dir / "outside" / "keep.txt"), "precious");
}

TEST(DeleteFilesIn, RemovesOwnFilesAndLinksOnly) {
  TempDir dir;
  writeFile(dir / "outside" / "keep.txt", "precious");
  writeFile(dir / "tree" / "a.txt", "x");
  writeFile(dir / "tree" / ".hidden", "x");
  writeFile(dir / "tree" / "sub" / "b.txt", "x");
  fs::create_directory_symlink(dir / "outside", dir / "tree" / "linkdir");
  fs::create_symlink(dir / "outside" / "keep.txt", dir / "tree" / "linkfile");
  deleteFilesIn(dir / "tree");
  EXPECT_FALSE(fs::exists(dir / "tree" / "a.txt"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "tree" / "linkfile")));
  EXPECT_TRUE(fs::exists(dir / "tree" / ".hidden"));
  EXPECT_TRUE(fs::exists(dir / "tree" / "sub" / "b.txt"));
  EXPECT_EQ(readFile(dir / "outside" / "keep.txt"), "precious");
}

TEST(DeleteFilesBelow, RecursesWithoutFollowingLinks) {
  TempDir dir;
  writeFile(dir / "outside" / "keep.txt", "precious");
  writeFile(dir / "root" / "a" / "b" / "c.txt", "x");
  writeFile(dir / "root" / "top.txt", "x");
  fs::create_directory_symlink(dir / "outside", dir / "root" / "a" / "escape");
  deleteFilesBelow(dir / "root");
  EXPECT_TRUE(fs::is_directory(dir / "root" / "a" / "b"));
  EXPECT_FALSE(fs::exists(dir / "root" / "a" / "b" / "c.txt"));
  EXPECT_FALSE(fs::exists(dir / "root" / "top.txt"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "root" / "a" / "escape")));
  EXPECT_EQ(readFile(dir / "outside" / "keep.txt"), "precious");
}

TEST(IsInside, ComparesWholeComponents) {
  EXPECT_TRUE(isInside("/a/b/c", "/a/b"));
  EXPECT_TRUE(isInside("/a/b", "/a/b/"));
  EXPECT_FALSE(isInside("/a/bc", "/a/b"));
  EXPECT_FALSE(isInside("/a/b/../x", "/a/b"));
}

TEST(BuildTime, HonoursSourceDateEpoch) {
  setenv("TZ", "UTC", 1);
  tzset();
  setenv("SOURCE_DATE_EPOCH", "86400", 1);
  std::tm t = buildTime();
  EXPECT_EQ(t.tm_year, 70);
  EXPECT_EQ(t.tm_mday, 2);
  setenv("SOURCE_DATE_EPOCH", "not a number", 1);
  EXPECT_GT(buildTime().tm_year, 120);
  unsetenv("SOURCE_DATE_EPOCH");
}

TEST(Guid, FreshEachTime) {
  Guid a = newGuid(), b = newGuid();
  EXPECT_FALSE(a.data1 == b.data1 && a.data2 == b.data2 && a.data4 == b.data4);
}

TEST(FreeBytes, MeasuresTheNearestExistingFolder) {
  TempDir dir;
  auto n = freeBytes(dir / "not" / "yet");
  ASSERT_TRUE(n.has_value());
  EXPECT_GT(*n, 0u);
}

// A block of megabytes comes from the heap, not from a mapping of its own,
// and its pages stay with the process when it is freed, so the next such
// block needs no new pages.
TEST(KeepFreedMemory, LargeBlocksComeFromTheHeapAndStayAfterTheyAreFreed) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizer brings its own allocator";
#endif
  platform::keepFreedMemory();
  constexpr std::size_t kBlock = 24u << 20;
  const struct mallinfo2 before = mallinfo2();
  void* block = std::malloc(kBlock);
  ASSERT_NE(block, nullptr);
  static_cast<volatile char*>(block)[kBlock - 1] = 1;
  const struct mallinfo2 during = mallinfo2();
  EXPECT_EQ(during.hblks, before.hblks) << "no mapping of its own";
  EXPECT_GE(during.arena, before.arena + kBlock);
  std::free(block);
  EXPECT_EQ(mallinfo2().arena, during.arena) << "nothing handed back";
}
}  // namespace
}  // namespace dm::platform
