#include "driver/batch.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include "intake/source_reader.h"
#include "platform/platform.h"
#include "textio/wide_line.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

TEST(CommandLine, Parsing) {
  using A = CommandLine::Action;
  struct Case {
    std::vector<std::string> args;
    A action;
    bool keep;
    std::string folder;
  } cases[] = {
      {{}, A::Window, false, ""},
      {{"/d"}, A::Window, true, ""},
      {{"drill"}, A::Batch, false, "drill"},
      {{"drill", "/d"}, A::Batch, true, "drill"},
      {{"/D", "my drill"}, A::Batch, true, "my drill"},
      {{"--help"}, A::Help, false, ""},
      {{"drill", "--version"}, A::Version, false, ""},
      {{"a", "b"}, A::Usage, false, ""},
      {{"--frobnicate"}, A::Usage, false, ""},
  };
  for (const auto& c : cases) {
    CommandLine cl = parseCommandLine(c.args);
    EXPECT_EQ(cl.action, c.action) << testing::PrintToString(c.args);
    EXPECT_EQ(cl.keepWorkTree, c.keep) << testing::PrintToString(c.args);
    EXPECT_EQ(cl.folder, c.folder) << testing::PrintToString(c.args);
  }
}

struct BatchFixture {
  TempDir dir;
  BatchEnvironment env;
  std::ostringstream err;
  BatchFixture() {
    env.workBase = dir / "base";
    env.startDir = dir / "cwd";
    env.documents = dir / "docs";
    fs::create_directories(env.startDir);
  }
  int run(const std::string& folder, bool keep = false) {
    CommandLine cl;
    cl.action = CommandLine::Action::Batch;
    cl.folder = folder;
    cl.keepWorkTree = keep;
    return runBatch(cl, env, err);
  }
};

TEST(Batch, PreBuildFailuresAndMissingFolderExitTwo) {
  BatchFixture f;
  writeFile(f.dir / "two/a.txt", "x");
  writeFile(f.dir / "two/sub/b.TXT", "x");
  writeFile(f.dir / "none/p.bmp", "x");
  EXPECT_EQ(f.run((f.dir / "two").string()), exitcode::kCheckFailed);
  EXPECT_NE(f.err.str().find("テキストファイルが複数存在します"), std::string::npos) << f.err.str();
  EXPECT_EQ(f.run((f.dir / "none").string()), exitcode::kCheckFailed);
  EXPECT_EQ(f.run((f.dir / "missing").string()), exitcode::kCheckFailed);
  EXPECT_NE(f.err.str().find("cannot enter the folder"), std::string::npos);
}

TEST(Batch, AnotherInstanceHoldingTheLockExitsThree) {
  BatchFixture f;
  writeFile(f.dir / "d/a.txt", "x");
  fs::create_directories(f.env.workBase);
  platform::InstanceLock other;
  ASSERT_TRUE(other.acquire(f.env.workBase / platform::kInstanceLockName));
  EXPECT_EQ(f.run((f.dir / "d").string()), exitcode::kLocked);
  EXPECT_FALSE(fs::exists(f.env.workBase / "TempUsr"));
}

TEST(Batch, RelativeFolderAndKeepSwitch) {
  BatchFixture f;
  // A source without any valid record: the run ends with the report only.
  writeFile(f.env.startDir / "drill/quiz.txt", "settings\r\nheading\r\n");
  EXPECT_EQ(f.run("drill", true), exitcode::kDone) << f.err.str();
  EXPECT_FALSE(fs::exists(f.env.startDir / "quiz.drl"));
  EXPECT_TRUE(fs::is_directory(f.env.workBase / "TempUsr" / "Trash")) << "/d keeps the work tree";

  EXPECT_EQ(f.run("drill", false), exitcode::kDone) << f.err.str();
  for (const auto& e : fs::recursive_directory_iterator(f.env.workBase / "TempUsr"))
    EXPECT_TRUE(e.is_directory()) << "left behind: " << e.path();
}

// Runs the executable through the shell in `cwd`; returns its exit status.
int runExe(const fs::path& cwd, const fs::path& workBase, const std::string& args, std::string* out = nullptr) {
  std::string cmd = "cd '" + cwd.string() + "' && DRILLMAKER_WORK_BASE='" + workBase.string() + "' '" +
                    DRILLMAKER_EXE + "' " + args + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buf[4096];
  while (std::size_t n = fread(buf, 1, sizeof buf, p)) text.append(buf, n);
  int st = pclose(p);
  if (out) *out = text;
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

TEST(BatchExecutable, HelpVersionAndExitStatuses) {
  TempDir dir;
  std::string out;
  EXPECT_EQ(runExe(dir.path(), dir / "base", "--version", &out), 0);
  EXPECT_EQ(out, "drillmaker 1.2\n");
  EXPECT_EQ(runExe(dir.path(), dir / "base", "--help", &out), 0);
  EXPECT_NE(out.find("Usage: drillmaker [FOLDER] [/d]"), std::string::npos);
  EXPECT_EQ(runExe(dir.path(), dir / "base", "no-such-folder", &out), 2);
  writeFile(dir / "drill/a.bmp", "x");
  EXPECT_EQ(runExe(dir.path(), dir / "base", "drill /D", &out), 2);
  EXPECT_NE(out.find("テキストファイルがありません"), std::string::npos) << out;
}

// Every regular file below `root`, by its path relative to `root`.
std::map<fs::path, std::string> filesBelow(const fs::path& root) {
  std::map<fs::path, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file()) files[fs::relative(e.path(), root)] = readFile(e.path());
  return files;
}

// Sets SOURCE_DATE_EPOCH for its lifetime.
struct FixedBuildDate {
  FixedBuildDate() { ::setenv("SOURCE_DATE_EPOCH", "1796731200", 1); }  // 8 December 2026, 12:00 UTC
  ~FixedBuildDate() { ::unsetenv("SOURCE_DATE_EPOCH"); }
};

TEST(Batch, AUtf8SourceWithLfLineEndsBuildsWhatItsShiftJisOriginalBuilds) {
  FixedBuildDate date;
  BatchFixture f;
  const fs::path work = f.env.workBase / "TempUsr";
  const fs::path drl = f.env.startDir / "quickstart.drl";
  const fs::path source = f.env.startDir / "drill" / "quickstart.txt";
  fs::copy(fs::path(DRILLMAKER_SOURCE_DIR) / "examples" / "quickstart", f.env.startDir / "drill");
  ASSERT_EQ(f.run("drill", true), exitcode::kDone) << f.err.str();
  EXPECT_EQ(f.err.str().find("drillmaker: read "), std::string::npos) << f.err.str();
  const std::map<fs::path, std::string> originalWork = filesBelow(work);
  const std::string original = readFile(drl);
  fs::remove_all(work);
  fs::remove(drl);

  // The example re-encoded as UTF-8 without a mark, its lines ending with
  // LF, built again at the same places.
  std::istringstream sjis(readFile(source));
  std::ostringstream wide, log;
  decodeShiftJis(sjis, wide, log);
  ASSERT_EQ(log.str(), "");
  std::u16string units;
  const std::string bytes = wide.str();
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8));
  std::string text = utf16ToUtf8(units);
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
  ASSERT_EQ(text.find('\r'), std::string::npos);
  writeFile(source, text);
  f.err.str("");
  ASSERT_EQ(f.run("drill", true), exitcode::kDone) << f.err.str();
  EXPECT_NE(f.err.str().find("drillmaker: read quickstart.txt as UTF-8\n"), std::string::npos) << f.err.str();

  // The container and its work copies differ only in the GUID (offset 400,
  // 16 bytes) and in the sums over it at the end (the checksum and the
  // trailer, the last 36 bytes); only a Shift-JIS source has a conversion log.
  auto sameButGuidAndSums = [](std::string container, const std::string& model) {
    constexpr std::size_t kGuidAt = 400, kGuidBytes = 16, kSumBytes = 36;
    if (container.size() != model.size() || container.size() < kGuidAt + kGuidBytes + kSumBytes) return false;
    container.replace(kGuidAt, kGuidBytes, model, kGuidAt, kGuidBytes);
    const std::size_t sums = container.size() - kSumBytes;
    container.replace(sums, kSumBytes, model, sums, kSumBytes);
    return container == model;
  };
  EXPECT_TRUE(sameButGuidAndSums(readFile(drl), original));
  std::map<fs::path, std::string> rebuiltWork = filesBelow(work);
  for (const char* name : {"Drill.pre", "Drill.bin"}) {
    const fs::path container = fs::path("Destin") / name;
    EXPECT_TRUE(sameButGuidAndSums(rebuiltWork[container], originalWork.at(container))) << container;
    rebuiltWork[container] = originalWork.at(container);
  }
  EXPECT_EQ(originalWork.at(fs::path("Trash") / "Drill_tsv.chk"), "");
  rebuiltWork[fs::path("Trash") / "Drill_tsv.chk"] = "";
  ASSERT_EQ(originalWork.size(), rebuiltWork.size());
  for (const auto& [path, bytes] : originalWork) EXPECT_TRUE(rebuiltWork[path] == bytes) << path;
}

}  // namespace
}  // namespace dm
