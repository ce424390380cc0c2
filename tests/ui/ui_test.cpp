#include "ui/ui.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/platform.h"
#include "support/temp_dir.h"

namespace dm::ui {
namespace {

TEST(RunWindow, ASecondInstanceEndsSilently) {
  test::TempDir dir;
  ::setenv("DRILLMAKER_WORK_BASE", dir.path().c_str(), 1);
  platform::InstanceLock first;
  ASSERT_TRUE(first.acquire(dir / platform::kInstanceLockName));
  int argc = 1;
  char name[] = "drillmaker";
  char* argv[] = {name, nullptr};
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  EXPECT_EQ(runWindow(false, argc, argv), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ::unsetenv("DRILLMAKER_WORK_BASE");
}

TEST(RunWindow, AWorkFolderWhereNoLockCanBeMadeIsNamed) {
  test::TempDir dir;
  test::writeFile(dir / "base", "a file where the work folder should be");
  ::setenv("DRILLMAKER_WORK_BASE", (dir / "base").c_str(), 1);
  int argc = 1;
  char name[] = "drillmaker";
  char* argv[] = {name, nullptr};
  testing::internal::CaptureStderr();
  EXPECT_EQ(runWindow(false, argc, argv), 2);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "drillmaker: the work folder " + (dir / "base").string() + " cannot be written: Not a directory\n");
  ::unsetenv("DRILLMAKER_WORK_BASE");
}

}  // namespace
}  // namespace dm::ui
