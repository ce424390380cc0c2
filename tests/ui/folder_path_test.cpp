#include "ui/folder_path.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace dm::ui {
namespace {

TEST(FolderPath, Validation) {
  const std::pair<const char*, bool> cases[] = {
      {"/", true},
      {"/home/user", true},
      {"/home/user/フォルダ", true},
      {"/a\tb", true},
      {"/a b", true},
      {"/a.b", true},
      {"", false},
      {"home/user", false},
      {"/a//b", false},
      {"/a/", false},
      {"/ a", false},
      {"/a ", false},
      {"/\ta", false},
      {"/a\t", false},
      {"/.hidden", false},
      {"/a.", false},
      {"/..", false},
      {"/a\"b", false},
      {"/a*b", false},
      {"/a:b", false},
      {"/a<b", false},
      {"/a>b", false},
      {"/a?b", false},
      {"/a\\b", false},
      {"/a|b", false},
  };
  for (const auto& [path, valid] : cases) EXPECT_EQ(isValidFolderPath(path), valid) << '"' << path << '"';
}

TEST(FolderPath, CreatesEachMissingFolder) {
  test::TempDir dir;
  const auto target = dir / "a" / "b" / "c";
  EXPECT_FALSE(createFolderPath(target));
  EXPECT_TRUE(std::filesystem::is_directory(target));
  EXPECT_FALSE(createFolderPath(target)) << "an existing folder is fine";
}

TEST(FolderPath, FailsWhereAFileStandsInTheWay) {
  test::TempDir dir;
  test::writeFile(dir / "a", "x");
  EXPECT_TRUE(createFolderPath(dir / "a" / "b"));
  EXPECT_FALSE(std::filesystem::exists(dir / "a" / "b"));
}

}  // namespace
}  // namespace dm::ui
