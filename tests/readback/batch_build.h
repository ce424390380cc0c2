// Builds a drill folder with the real passes, as the batch command does, for
// the tests that read the delivered container back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "driver/batch.h"
#include "support/temp_dir.h"

namespace dm::readback::test_support {

// Builds `folder` in batch mode under `dir` and returns the delivered
// container `<name>.drl`.
inline std::string build(const test::TempDir& dir, const std::filesystem::path& folder, const std::string& name) {
  BatchEnvironment env{dir / "base", dir / "out", dir / "docs", nullptr, false, {}};
  std::filesystem::create_directories(env.startDir);
  CommandLine cl;
  cl.action = CommandLine::Action::Batch;
  cl.folder = folder.string();
  std::ostringstream err;
  EXPECT_EQ(runBatch(cl, env, err), exitcode::kDone) << err.str();
  return test::readFile(env.startDir / (name + ".drl"));
}

}  // namespace dm::readback::test_support
