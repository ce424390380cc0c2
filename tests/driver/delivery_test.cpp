#include "driver/delivery.h"

#include <gtest/gtest.h>

#include "driver/recording_observer.h"
#include "driver/work_tree.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

class Answer : public OverwriteConfirmer {
 public:
  explicit Answer(bool yes) : yes_(yes) {}
  bool confirmOverwrite(const fs::path& replacement, const fs::path& existing) override {
    asked.emplace_back(replacement, existing);
    return yes_;
  }
  std::vector<std::pair<fs::path, fs::path>> asked;

 private:
  bool yes_;
};

struct Fixture {
  TempDir dir;
  RunState state;
  test::RecordingObserver observer;
  Fixture() {
    state.workBase = dir / "base";
    state.startDir = dir / "cwd";
    state.sourceTextPath = dir / "src" / "my.words.txt";
    state.observer = &observer;
    state.paths = WorkPaths::under(state.workBase);
    fs::create_directories(state.startDir);
    writeFile(workContainerPath(state), "container");
    writeFile(workReportPath(state), "report");
  }
};

TEST(CopyWithConfirmation, AsksOnlyWhenTheTargetExists) {
  TempDir dir;
  writeFile(dir / "new", "new");
  Answer no(false), yes(true);
  EXPECT_FALSE(copyWithConfirmation(dir / "new", dir / "t", no));
  EXPECT_TRUE(no.asked.empty());
  EXPECT_EQ(readFile(dir / "t"), "new");

  writeFile(dir / "t", "old");
  EXPECT_FALSE(copyWithConfirmation(dir / "new", dir / "t", no));
  EXPECT_EQ(readFile(dir / "t"), "old");
  ASSERT_EQ(no.asked.size(), 1u);
  EXPECT_EQ(no.asked[0].first, dir / "new");
  EXPECT_EQ(no.asked[0].second, dir / "t");

  EXPECT_FALSE(copyWithConfirmation(dir / "new", dir / "t", yes));
  EXPECT_EQ(readFile(dir / "t"), "new");
}

TEST(Deliver, WindowDeliveryCreatesTheFolderAndNamesAfterTheSource) {
  Fixture f;
  Answer yes(true);
  const fs::path out = f.dir / "Desktop" / "ドリル";
  EXPECT_EQ(deliver(f.state, out, yes), 0);
  EXPECT_EQ(readFile(out / "my.words.drl"), "container");
  EXPECT_EQ(readFile(out / "error-my.words.txt"), "report");
  EXPECT_TRUE(yes.asked.empty());
}

TEST(Deliver, ReportOnlyAndRefusedOverwrite) {
  Fixture f;
  const fs::path out = f.dir / "out";
  writeFile(out / "error-my.words.txt", "old report");
  f.state.reportOnly = true;
  Answer no(false);
  EXPECT_EQ(deliver(f.state, out, no), 0);
  EXPECT_FALSE(fs::exists(out / "my.words.drl"));
  EXPECT_EQ(readFile(out / "error-my.words.txt"), "old report");
  EXPECT_EQ(no.asked.size(), 1u);
}

TEST(Deliver, ACopyThatFailsIsAFailedRunNamingTheFileAndTheReason) {
  // A regular file where the output folder belongs stops root too.
  Fixture f;
  writeFile(f.dir / "Desktop", "a file");
  Answer yes(true);
  const fs::path out = f.dir / "Desktop" / "drills";
  EXPECT_EQ(deliver(f.state, out, yes), status::kPassFailed);
  EXPECT_EQ(f.observer.codes, std::vector<int>{status::kPassFailed});
  ASSERT_EQ(f.observer.texts.size(), 1u);
  EXPECT_EQ(f.observer.texts[0], "cannot write " + (out / "my.words.drl").string() + ": Not a directory");
}

TEST(Deliver, ContainerOfFourGibibytesIsRefusedWithItsReport) {
  Fixture f;
  fs::resize_file(workContainerPath(f.state), kMaxContainerBytes);
  Answer yes(true);
  EXPECT_EQ(deliver(f.state, f.dir / "out", yes), status::kTooLarge);
  EXPECT_EQ(f.observer.codes, std::vector<int>{status::kTooLarge});
  EXPECT_FALSE(fs::exists(f.dir / "out" / "my.words.drl"));
  EXPECT_FALSE(fs::exists(f.dir / "out" / "error-my.words.txt"));
}

TEST(Deliver, TellsWhichFilesItWroteAndWhichTheUserKept) {
  struct Case {
    const char* what;
    bool reportOnly;
    bool drillThere, reportThere;  // delivered files of an earlier run
    bool yes;                      // the answer to an overwrite question
    std::vector<std::string> written, kept;
  } cases[] = {
      {"a new drill", false, false, false, false, {"my.words.drl", "error-my.words.txt"}, {}},
      {"both replaced", false, true, true, true, {"my.words.drl", "error-my.words.txt"}, {}},
      {"both kept", false, true, true, false, {}, {"my.words.drl", "error-my.words.txt"}},
      {"the drill kept", false, true, false, false, {"error-my.words.txt"}, {"my.words.drl"}},
      {"the report only", true, true, false, false, {"error-my.words.txt"}, {}},
      {"the report only, kept", true, false, true, false, {}, {"error-my.words.txt"}},
  };
  for (const Case& c : cases) {
    Fixture f;
    const fs::path out = f.dir / "out";
    if (c.drillThere) writeFile(out / "my.words.drl", "old");
    if (c.reportThere) writeFile(out / "error-my.words.txt", "old");
    f.state.reportOnly = c.reportOnly;
    Answer answer(c.yes);
    DeliveredFiles delivered;
    EXPECT_EQ(deliver(f.state, out, answer, &delivered), 0) << c.what;
    auto under = [&out](const std::vector<std::string>& names) {
      std::vector<fs::path> paths;
      for (const std::string& name : names) paths.push_back(out / name);
      return paths;
    };
    EXPECT_EQ(delivered.written, under(c.written)) << c.what;
    EXPECT_EQ(delivered.kept, under(c.kept)) << c.what;
  }
}

TEST(Deliver, AFailedCopyIsNotAmongTheWrittenFiles) {
  Fixture f;
  const fs::path out = f.dir / "out";
  fs::create_directories(out / "error-my.words.txt" / "in the way");  // a folder cannot be replaced
  Answer yes(true);
  DeliveredFiles delivered;
  EXPECT_EQ(deliver(f.state, out, yes, &delivered), status::kPassFailed);
  EXPECT_EQ(delivered.written, std::vector<fs::path>{out / "my.words.drl"});
  EXPECT_TRUE(delivered.kept.empty());
  // The failure does not hide the drill that was delivered before it.
  ASSERT_EQ(f.observer.texts.size(), 1u);
  EXPECT_EQ(f.observer.texts[0], "cannot write " + (out / "error-my.words.txt").string() + ": " +
                                     std::make_error_code(std::errc::is_a_directory).message() + "; " +
                                     (out / "my.words.drl").string() + " was written");
}

TEST(DeliverBatch, OverwritesIntoTheStartFolder) {
  Fixture f;
  writeFile(f.state.startDir / "my.words.drl", "old");
  EXPECT_FALSE(deliverBatch(f.state).error);
  EXPECT_EQ(readFile(f.state.startDir / "my.words.drl"), "container");
  EXPECT_EQ(readFile(f.state.startDir / "error-my.words.txt"), "report");
}

TEST(DeliverBatch, MissingWorkFilesAreSkippedAndCopyFailuresReported) {
  Fixture f;
  fs::remove(workReportPath(f.state));
  f.state.reportOnly = true;
  EXPECT_FALSE(deliverBatch(f.state).error);
  EXPECT_TRUE(fs::is_empty(f.state.startDir));

  f.state.reportOnly = false;
  f.state.startDir = f.dir / "no" / "such" / "folder";
  BatchDelivery r = deliverBatch(f.state);
  EXPECT_TRUE(r.error);
  EXPECT_EQ(r.failedPath, f.state.startDir / "my.words.drl");
  EXPECT_TRUE(r.written.empty());

  // A report that cannot be written does not hide the drill written before it.
  f.state.startDir = f.dir / "cwd";
  writeFile(workReportPath(f.state), "report");
  fs::create_directories(f.state.startDir / "error-my.words.txt" / "in the way");
  r = deliverBatch(f.state);
  EXPECT_EQ(r.error, std::errc::is_a_directory);
  EXPECT_EQ(r.failedPath, f.state.startDir / "error-my.words.txt");
  EXPECT_EQ(r.written, std::vector<fs::path>{f.state.startDir / "my.words.drl"});
}

}  // namespace
}  // namespace dm
