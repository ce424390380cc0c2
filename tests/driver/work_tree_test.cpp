#include "driver/work_tree.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

const char* const kFolders[] = {
    "Middata", "Destin", "Trash",
    "Middata/EngIdx", "Middata/JapIdx", "Middata/ExmIdx", "Middata/SpaIdx", "Middata/EngKwIdx",
    "Middata/JapKwIdx", "Middata/KanjiPick", "Middata/Menu", "Middata/Source", "Middata/Dict",
    "Middata/Bmp", "Middata/BmpExt", "Middata/Sound", "Middata/Sound/Source", "Middata/Font",
    "Middata/EngInfl", "Middata/EngInfl/Data1", "Middata/EngInfl/Data2",
    "Destin/EngIdx", "Destin/JapIdx", "Destin/ExmIdx", "Destin/SpaIdx", "Destin/EngKwIdx",
    "Destin/JapKwIdx", "Destin/KanjiPick", "Destin/Menu", "Destin/Dict", "Destin/Bmp", "Destin/BmpExt",
    "Destin/Sound", "Destin/Font", "Destin/EngInfl", "Destin/EngInfl/Data1", "Destin/EngInfl/Data2"};

TEST(WorkTree, PreparationCreatesEveryFolder) {
  TempDir dir;
  RunState state;
  state.workBase = dir.path();
  prepareWorkTree(state);
  EXPECT_EQ(state.paths.root, dir / "TempUsr");
  EXPECT_EQ(state.paths.trash, dir / "TempUsr" / "Trash");
  for (const char* f : kFolders) EXPECT_TRUE(fs::is_directory(state.paths.root / f)) << f;
  EXPECT_FALSE(fs::exists(state.paths.destin / "Source"));
}

TEST(WorkTree, PreparationEmptiesFoldersButKeepsUnknownSubFolders) {
  TempDir dir;
  RunState state;
  state.workBase = dir.path();
  prepareWorkTree(state);
  const fs::path root = state.paths.root;
  writeFile(root / "usrDict.out", "stays: the root is never emptied");
  writeFile(root / "Trash" / "Drill.uni", "old");
  writeFile(root / "Middata" / "Sound" / "a.mp3", "old");
  writeFile(root / "Middata" / "Sound" / "Source" / "b.mp3", "old");
  writeFile(root / "Destin" / "Extra" / "kept.bin", "sub-folder of an emptied folder");
  prepareWorkTree(state);
  EXPECT_TRUE(fs::exists(root / "usrDict.out"));
  EXPECT_FALSE(fs::exists(root / "Trash" / "Drill.uni"));
  EXPECT_FALSE(fs::exists(root / "Middata" / "Sound" / "a.mp3"));
  EXPECT_FALSE(fs::exists(root / "Middata" / "Sound" / "Source" / "b.mp3"));
  EXPECT_TRUE(fs::exists(root / "Destin" / "Extra" / "kept.bin"));
}

TEST(WorkTree, FolderLinkedOutsideIsReplacedNotEmptied) {
  TempDir dir;
  writeFile(dir / "user" / "thesis.txt", "precious");
  RunState state;
  state.workBase = dir / "base";
  fs::create_directories(state.workBase / "TempUsr");
  fs::create_directory_symlink(dir / "user", state.workBase / "TempUsr" / "Trash");
  prepareWorkTree(state);
  EXPECT_EQ(readFile(dir / "user" / "thesis.txt"), "precious");
  EXPECT_TRUE(fs::is_directory(fs::symlink_status(state.paths.trash)));
}

TEST(WorkTree, RootLinkedOutsideIsReplacedNotBuiltIn) {
  TempDir dir;
  writeFile(dir / "user" / "Destin" / "thesis.txt", "precious");
  RunState state;
  state.workBase = dir / "base";
  fs::create_directories(state.workBase);
  fs::create_directory_symlink(dir / "user", state.workBase / "TempUsr");
  prepareWorkTree(state);
  EXPECT_EQ(readFile(dir / "user" / "Destin" / "thesis.txt"), "precious");
  EXPECT_FALSE(fs::exists(dir / "user" / "Middata"));
  EXPECT_TRUE(fs::is_directory(fs::symlink_status(state.paths.root)));
  EXPECT_TRUE(fs::is_directory(state.paths.trash));
}

TEST(WorkTree, DeleteWorkFilesKeepsFoldersAndNeverFollowsLinks) {
  TempDir dir;
  writeFile(dir / "user" / "photo.jpg", "precious");
  RunState state;
  state.workBase = dir / "base";
  prepareWorkTree(state);
  writeFile(state.paths.destin / "Drill.bin", "x");
  writeFile(state.paths.middata / "Bmp" / "bmp00014.hex", "x");
  fs::create_directory_symlink(dir / "user", state.paths.trash / "link");
  deleteWorkFiles(state);
  EXPECT_FALSE(fs::exists(state.paths.destin / "Drill.bin"));
  EXPECT_FALSE(fs::exists(state.paths.middata / "Bmp" / "bmp00014.hex"));
  EXPECT_TRUE(fs::is_directory(state.paths.middata / "Bmp"));
  EXPECT_EQ(readFile(dir / "user" / "photo.jpg"), "precious");
}

TEST(WorkTree, DeleteWorkFilesRefusesARootLinkedOutside) {
  TempDir dir;
  writeFile(dir / "user" / "a.txt", "precious");
  RunState state;
  state.workBase = dir / "base";
  fs::create_directories(state.workBase);
  fs::create_directory_symlink(dir / "user", state.workBase / "TempUsr");
  deleteWorkFiles(state);
  EXPECT_EQ(readFile(dir / "user" / "a.txt"), "precious");
}

TEST(OutputNames, SourceNameIsCutAtTheLastDot) {
  struct Case {
    const char* source;
    const char* name;
  } cases[] = {{"/x/my.words.txt", "my.words"}, {"/x/drill.TXT", "drill"}, {"/x.d/noext", "noext"},
               {"ドリル.txt", "ドリル"}};
  for (const auto& c : cases) EXPECT_EQ(sourceName(c.source), c.name) << c.source;
  EXPECT_EQ(deliveredContainerPath("/out", "my.words"), fs::path("/out/my.words.drl"));
  EXPECT_EQ(deliveredReportPath("/out", "my.words"), fs::path("/out/error-my.words.txt"));
  RunState state;
  state.paths = WorkPaths::under("/w");
  EXPECT_EQ(workContainerPath(state), fs::path("/w/TempUsr/Destin/Drill.bin"));
  EXPECT_EQ(workReportPath(state), fs::path("/w/TempUsr/Destin/Drill.chk"));
}

}  // namespace
}  // namespace dm
