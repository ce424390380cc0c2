#include "ui/ui.h"

#include <gtest/gtest.h>

#include <cerrno>
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
  EXPECT_EQ(runWindow(false, {}, argc, argv), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ::unsetenv("DRILLMAKER_WORK_BASE");
}

// The window opens on a work folder it cannot use (MainWindowTest shows the
// picture it then shows); what it is told is the system's reason.
TEST(ClaimWorkFolder, GivesTheReasonTheFolderCannotBeUsed) {
  test::TempDir dir;
  test::writeFile(dir / "file", "a file where the work folder should be");
  {
    platform::InstanceLock lock;
    EXPECT_EQ(claimWorkFolder(lock, dir / "file"), ENOTDIR);
    EXPECT_EQ(claimWorkFolder(lock, dir / "file" / "sub"), ENOTDIR) << "a folder under a file stops root too";
    EXPECT_FALSE(lock.held());
  }
  platform::InstanceLock first, second;
  EXPECT_EQ(claimWorkFolder(first, dir / "base" / "new"), 0) << "the folder is created";
  EXPECT_TRUE(first.held());
  EXPECT_EQ(claimWorkFolder(first, dir / "base" / "new"), 0) << "claiming again keeps the lock";
  EXPECT_EQ(claimWorkFolder(second, dir / "base" / "new"), -1) << "another drillmaker holds it";
}

}  // namespace
}  // namespace dm::ui
