#include "work/work_files.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace dm {
namespace {

TEST(WorkPaths, TheTreeLiesUnderTempUsrOfTheWorkBase) {
  const WorkPaths p = WorkPaths::under("/base");
  EXPECT_EQ(p.root, "/base/TempUsr");
  EXPECT_EQ(p.middata, "/base/TempUsr/Middata");
  EXPECT_EQ(p.destin, "/base/TempUsr/Destin");
  EXPECT_EQ(p.trash, "/base/TempUsr/Trash");
}

template <typename List>
void expectEachOnceParentsFirst(const List& list) {
  std::set<std::string> seen;
  for (const char* name : list) {
    const std::string n = name;
    EXPECT_TRUE(seen.insert(n).second) << n << " is listed twice";
    const auto slash = n.rfind('/');
    if (slash != std::string::npos) {
      EXPECT_TRUE(seen.count(n.substr(0, slash))) << n << " comes before its parent";
    }
  }
}

TEST(WorkFiles, FolderListsNameEachFolderOnceAndParentsFirst) {
  expectEachOnceParentsFirst(workfiles::kMiddataIndexFolders);
  expectEachOnceParentsFirst(workfiles::kMiddataFolders);
  expectEachOnceParentsFirst(workfiles::kDestinFolders);
}

}  // namespace
}  // namespace dm
