#include "driver/batch.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <algorithm>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
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

TEST(CommandLine, CellStylesIsABatchOption) {
  EXPECT_TRUE(parseCommandLine({"--cell-styles", "drill"}).cellStyles);
  EXPECT_FALSE(parseCommandLine({"drill"}).cellStyles);
  EXPECT_EQ(parseCommandLine({"--cell-styles"}).problem, "--cell-styles needs a FOLDER to build");
}

TEST(CommandLine, OptionsInTheUsualForm) {
  using A = CommandLine::Action;
  struct Case {
    std::vector<std::string> args;
    A action;
    std::string folder;        // of a batch run
    std::string problem = "";  // of a usage problem
    bool keep = false, quiet = false, verbose = false, strict = false;
  } cases[] = {
      {{"-d", "drill"}, A::Batch, "drill", "", true},
      {{"drill", "--keep-work"}, A::Batch, "drill", "", true},
      {{"-d"}, A::Window, "", "", true},
      {{"--", "-d"}, A::Batch, "-d", ""},  // a folder named -d
      {{"-qd", "drill"}, A::Batch, "drill", "", true, true},
      {{"--quiet", "drill"}, A::Batch, "drill", "", false, true},
      {{"drill", "-v"}, A::Batch, "drill", "", false, false, true},
      {{"--verbose", "--strict", "drill"}, A::Batch, "drill", "", false, false, true, true},
      {{"--str", "drill"}, A::Batch, "drill", "", false, false, false, true},
      {{"-h", "drill"}, A::Help, ""},
      {{"-V"}, A::Version, ""},
      {{"-x", "drill"}, A::Usage, "", "unknown option -x"},
      {{"-dx", "drill"}, A::Usage, "", "unknown option -x"},
      {{"--strict", "-xd", "drill"}, A::Usage, "", "unknown option -x"},
      {{"--frobnicate", "drill"}, A::Usage, "", "unknown option --frobnicate"},
      {{"--ver", "drill"}, A::Usage, "", "ambiguous option --ver (--verbose or --version?)"},
      {{"--strict=yes", "drill"}, A::Usage, "", "the option --strict takes no value"},
      {{"--keep-work=1", "drill"}, A::Usage, "", "the option --keep-work takes no value"},
      {{"-d", "a", "b"}, A::Usage, "", "expected one folder, got 2 arguments"},
      {{"--strict"}, A::Usage, "", "--strict needs a FOLDER to build"},
      {{"-q", "-v", "drill"}, A::Usage, "", "-q and -v cannot be used together"},
  };
  for (const auto& c : cases) {
    const std::string args = testing::PrintToString(c.args);
    const CommandLine cl = parseCommandLine(c.args);
    EXPECT_EQ(cl.action, c.action) << args;
    EXPECT_EQ(cl.folder, c.folder) << args;
    EXPECT_EQ(cl.problem, c.problem) << args;
    if (c.action != A::Batch && c.action != A::Window) continue;
    EXPECT_EQ(cl.keepWorkTree, c.keep) << args;
    EXPECT_EQ(cl.quiet, c.quiet) << args;
    EXPECT_EQ(cl.verbose, c.verbose) << args;
    EXPECT_EQ(cl.strict, c.strict) << args;
  }
}

TEST(CommandLine, WindowOpensWithTheGivenFilesAndNeverBuilds) {
  using A = CommandLine::Action;
  struct Case {
    std::vector<std::string> args;
    A action;
    std::vector<std::string> paths;
    bool keep = false;
    std::string problem = "";
  } cases[] = {
      {{"--window"}, A::Window, {}},
      {{"--window", "drill"}, A::Window, {"drill"}},  // one folder: still the window
      {{"drill", "--window"}, A::Window, {"drill"}},
      {{"--window", "q.txt", "pics", "a b.bmp"}, A::Window, {"q.txt", "pics", "a b.bmp"}},
      {{"-d", "--window", "drill"}, A::Window, {"drill"}, true},
      {{"--window", "drill", "/d"}, A::Window, {"drill"}, true},
      {{"--win", "drill"}, A::Window, {"drill"}},
      {{"--window", "--", "-q.txt"}, A::Window, {"-q.txt"}},
      {{"--window", "--help"}, A::Help, {}},
      {{"--window", "-q", "drill"}, A::Usage, {}, false, "-q cannot be used with --window"},
      {{"--strict", "--window"}, A::Usage, {}, false, "--strict cannot be used with --window"},
      {{"--window=drill"}, A::Usage, {}, false, "the option --window takes no value"},
  };
  for (const auto& c : cases) {
    const std::string args = testing::PrintToString(c.args);
    const CommandLine cl = parseCommandLine(c.args);
    EXPECT_EQ(cl.action, c.action) << args;
    EXPECT_EQ(cl.paths, c.paths) << args;
    EXPECT_EQ(cl.folder, "") << args;
    EXPECT_EQ(cl.problem, c.problem) << args;
    if (c.action == A::Window) {
      EXPECT_EQ(cl.keepWorkTree, c.keep) << args;
    }
  }
  EXPECT_TRUE(parseCommandLine({"drill"}).paths.empty()) << "without --window a folder is a batch run";
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

TEST(Batch, SeveralTextFilesAreNamed) {
  BatchFixture f;
  writeFile(f.dir / "two/a.txt", "x");
  writeFile(f.dir / "two/sub/b.TXT", "x");
  writeFile(f.dir / "two/p.bmp", "x");
  EXPECT_EQ(f.run((f.dir / "two").string()), exitcode::kCheckFailed);
  EXPECT_NE(f.err.str().find("テキストファイルが複数存在します。\ndrillmaker: the text files found:\n  " +
                             (f.dir / "two/a.txt").string() + "\n  " + (f.dir / "two/sub/b.TXT").string() + "\n"),
            std::string::npos)
      << f.err.str();
  EXPECT_EQ(f.err.str().find("p.bmp"), std::string::npos);
}

TEST(Batch, ADrillFolderThatCannotBeReadIsNamed) {
  if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  BatchFixture f;
  writeFile(f.dir / "d/a.txt", "settings\r\nheading\r\n");
  writeFile(f.dir / "d/sub/p.bmp", "x");
  struct Case {
    fs::path locked;
    int status;
    std::string message;
  } cases[] = {
      {f.dir / "d/sub", exitcode::kDone,
       "warning: cannot read " + (f.dir / "d/sub").string() + ": Permission denied; it is left out\n"},
      {f.dir / "d", exitcode::kCheckFailed,
       "cannot read the folder " + (f.dir / "d").string() + ": Permission denied\n"},
  };
  for (const Case& c : cases) {
    f.err.str("");
    fs::permissions(c.locked, fs::perms::none);
    EXPECT_EQ(f.run((f.dir / "d").string()), c.status) << f.err.str();
    EXPECT_NE(f.err.str().find(c.message), std::string::npos) << f.err.str();
    fs::permissions(c.locked, fs::perms::owner_all);
  }
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

TEST(Batch, AWorkFolderThatCannotBeWrittenEndsBeforeTheBuildNamingIt) {
  // A regular file where a folder must be stops root as well as anybody else.
  struct Case {
    const char* name;
    fs::path base;   // the work base, relative to the test folder
    fs::path file;   // the regular file put in the way
    fs::path named;  // the folder the message names
  };
  const std::vector<Case> cases{
      {"base is a file", "base", "base", "base"},
      {"base under a file", "file/base", "file", "file/base"},
      {"TempUsr is a file", "base", "base/TempUsr", "base/TempUsr"},
  };
  for (const Case& c : cases) {
    BatchFixture f;
    f.env.workBase = f.dir / c.base;
    writeFile(f.dir / "d/quiz.txt", "settings\r\nheading\r\n");
    writeFile(f.dir / c.file, "x");
    EXPECT_EQ(f.run((f.dir / "d").string()), exitcode::kCheckFailed) << c.name << f.err.str();
    const std::string message = "the work folder " + (f.dir / c.named).string() + " cannot be written: ";
    EXPECT_NE(f.err.str().find(message + "Not a directory\n"), std::string::npos)
        << c.name << ": " << f.err.str();
    EXPECT_FALSE(fs::exists(f.env.startDir / "error-quiz.txt")) << c.name;
  }
}

TEST(Batch, AReadOnlyWorkFolderEndsBeforeTheBuildNamingIt) {
  if (::geteuid() == 0) GTEST_SKIP() << "permission bits do not stop root";
  struct Case {
    const char* name;
    fs::path base;      // the work base, relative to the test folder
    fs::path readOnly;
    fs::path named;  // the folder the message names
    bool lockFileLeft = false;
  };
  const std::vector<Case> cases{
      {"read-only base", "base", "base", "base"},
      {"base under a read-only folder", "parent/base", "parent", "parent/base"},
      {"read-only TempUsr", "base", "base/TempUsr", "base/TempUsr"},
      {"read-only base holding the lock file of an earlier run", "base", "base", "base", true},
  };
  for (const Case& c : cases) {
    BatchFixture f;
    f.env.workBase = f.dir / c.base;
    writeFile(f.dir / "d/quiz.txt", "settings\r\nheading\r\n");
    fs::create_directories(f.dir / c.readOnly);
    if (c.lockFileLeft) writeFile(f.env.workBase / platform::kInstanceLockName, "");
    fs::permissions(f.dir / c.readOnly, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(f.run((f.dir / "d").string()), exitcode::kCheckFailed) << c.name << f.err.str();
    const std::string message = "the work folder " + (f.dir / c.named).string() + " cannot be written: ";
    EXPECT_NE(f.err.str().find(message + "Permission denied\n"), std::string::npos)
        << c.name << ": " << f.err.str();
    fs::permissions(f.dir / c.readOnly, fs::perms::owner_write, fs::perm_options::add);
  }
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
  EXPECT_EQ(out, std::string("drillmaker ") + DRILLMAKER_VERSION + "\n") << "the version of the project() line";
  EXPECT_EQ(runExe(dir.path(), dir / "base", "--help", &out), 0);
  EXPECT_NE(out.find("Usage: drillmaker [OPTIONS] FOLDER"), std::string::npos);
  EXPECT_EQ(runExe(dir.path(), dir / "base", "no-such-folder", &out), 2);
  writeFile(dir / "drill/a.bmp", "x");
  EXPECT_EQ(runExe(dir.path(), dir / "base", "drill /D", &out), 2);
  EXPECT_NE(out.find("テキストファイルがありません"), std::string::npos) << out;
}

// What a run of the executable said, its two streams apart.
struct ExeRun {
  int status = -1;
  std::string out, err;
};

// Runs the executable through the shell in `cwd` with `env` (assignments
// put before it) and its standard error going to a file.
ExeRun runExeApart(const fs::path& cwd, const fs::path& workBase, const std::string& args,
                   const std::string& env = "") {
  const fs::path errFile = workBase.parent_path() / "stderr.txt";
  const std::string cmd = "cd '" + cwd.string() + "' && " + env + " DRILLMAKER_WORK_BASE='" + workBase.string() +
                          "' '" + DRILLMAKER_EXE + "' " + args + " 2>'" + errFile.string() + "'";
  ExeRun run;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return run;
  char buf[4096];
  while (std::size_t n = fread(buf, 1, sizeof buf, p)) run.out.append(buf, n);
  const int st = pclose(p);
  run.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  run.err = readFile(errFile);
  return run;
}

// A small drill in `folder`: one question that passes the check and
// `faulty` ones whose answer is not a number (finding 20, the line is left out).
void writeSmallDrill(const fs::path& folder, int faulty) {
  std::string source =
      "設定\t使い方\t\tドリル\t\t\r\n"
      "分類1\t分類2\t分類3\t問題番号\t問題\t正解\t解説\t制限時間\t選択肢1\t選択肢2\r\n"
      "長\t中\t小\t1\t問題です。\t1\t解説\t\tはい\tいいえ\r\n";
  for (int i = 0; i < faulty; ++i) source += "長\t中\t小\t2\t問題です。\tx\t解説\t\tはい\tいいえ\r\n";
  writeFile(folder / "quiz.txt", "\xFF\xFE" + test::utf16le(source));
}

TEST(BatchExecutable, StandardOutputHoldsOnlyTheSummaryAndTheLogHoldsTheCompilerTexts) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> drill;
    std::string args;
    int status;
    std::string summary;
  };
  const fs::path example = fs::path(DRILLMAKER_SOURCE_DIR) / "examples" / "quickstart";
  const auto quickstart = [&](const fs::path& folder) {
    fs::create_directories(folder.parent_path());
    fs::copy(example, folder);
  };
  const auto noQuestion = [](const fs::path& folder) {
    writeFile(folder / "quiz.txt", "\xFF\xFE" + test::utf16le("設定\t使い方\t\tドリル\t\t\r\n見出し\r\n"));
  };
  const std::vector<Case> cases{
      {"clean", quickstart, "drill", 0, "quickstart.drl: 6 questions\n"},
      {"clean, --strict", quickstart, "--strict drill", 0, "quickstart.drl: 6 questions\n"},
      {"findings", [](const fs::path& f) { writeSmallDrill(f, 2); }, "drill", 0,
       "quiz.drl: 1 question, 2 findings in error-quiz.txt\n"},
      {"findings, --strict", [](const fs::path& f) { writeSmallDrill(f, 1); }, "drill --strict", 4,
       "quiz.drl: 1 question, 1 finding in error-quiz.txt\n"},
      {"no question", noQuestion, "drill", 0, "no question passed the check; only error-quiz.txt was written\n"},
      {"no question, --strict", noQuestion, "--strict drill", 4,
       "no question passed the check; only error-quiz.txt was written\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    c.drill(dir / "cwd/drill");
    const ExeRun run = runExeApart(dir / "cwd", dir / "base", c.args);
    EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;
    EXPECT_EQ(run.out, c.summary) << c.name;
    // The compiler's texts, its notes about tables a drill never has
    // included, are in the log, not in front of the user.
    const std::string log = readFile(dir / "base" / kBatchLogName);
    EXPECT_EQ(run.err.find("words="), std::string::npos) << c.name << ": " << run.err;
    EXPECT_EQ(run.err.find("Warning"), std::string::npos) << c.name << ": " << run.err;
    EXPECT_NE(log.find("== checking the records\n"), std::string::npos) << c.name << ": " << log;
    EXPECT_NE(log.find(c.summary), std::string::npos) << c.name << ": " << log;
    if (std::string(c.name).rfind("no question", 0) == 0) continue;
    EXPECT_NE(log.find("words="), std::string::npos) << c.name;
    EXPECT_NE(log.find("Warning: no such file [CodeType.lst]!\n"), std::string::npos) << c.name;
    EXPECT_NE(run.err.find("drillmaker: compiling the dictionary\n"), std::string::npos)
        << c.name << ": one line per phase off a terminal\n" << run.err;
    EXPECT_EQ(run.err.find('\r'), std::string::npos) << c.name << ": no progress line off a terminal";
  }
}

TEST(Batch, ProgressRewritesOneLineOnlyOnATerminal) {
  struct Case {
    bool terminal;
    bool quiet;
    bool progressLine;  // a line rewritten with CR, a bar where the total is known
  } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
  for (const Case& c : cases) {
    BatchFixture f;
    f.env.terminal = c.terminal;
    std::ostringstream out;
    f.env.out = &out;
    writeSmallDrill(f.env.startDir / "drill", 0);
    CommandLine cl;
    cl.action = CommandLine::Action::Batch;
    cl.folder = "drill";
    cl.quiet = c.quiet;
    ASSERT_EQ(runBatch(cl, f.env, f.err), exitcode::kDone) << f.err.str();
    const std::string err = f.err.str();
    SCOPED_TRACE(testing::Message() << "terminal " << c.terminal << ", quiet " << c.quiet << ": " << err);
    EXPECT_EQ(err.find("\rconverting the entries [") != std::string::npos, c.progressLine);
    EXPECT_EQ(err.find("\rcompiling the dictionary") != std::string::npos, c.progressLine);
    EXPECT_EQ(err.find("drillmaker: compiling the dictionary\n") != std::string::npos, !c.terminal && !c.quiet);
    if (c.progressLine) {
      // The line is cleared before the run ends: nothing after the last CR.
      EXPECT_EQ(err.substr(err.rfind('\r') + 1), "");
    }
    EXPECT_EQ(out.str(), "quiz.drl: 1 question\n");
  }
}

TEST(BatchExecutable, AProgressLineOnlyWhenStandardErrorIsATerminal) {
  TempDir dir;
  writeSmallDrill(dir / "cwd/drill", 0);
  int terminal = -1, side = -1;
  ASSERT_EQ(::openpty(&terminal, &side, nullptr, nullptr, nullptr), 0);
  const fs::path outFile = dir / "stdout.txt";
  std::string exe = DRILLMAKER_EXE, folder = "drill";
  char* argv[] = {exe.data(), folder.data(), nullptr};
  const std::string base = "DRILLMAKER_WORK_BASE=" + (dir / "base").string();
  std::vector<char*> envp{const_cast<char*>(base.c_str())};
  for (char** e = environ; *e; ++e)
    if (std::string_view(*e).rfind("DRILLMAKER_WORK_BASE=", 0) != 0) envp.push_back(*e);
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, (dir / "cwd").c_str());
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, side, 2);
  posix_spawn_file_actions_addclose(&actions, terminal);
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv, envp.data()), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(side);
  std::string shown;
  char buf[4096];
  for (ssize_t n; (n = ::read(terminal, buf, sizeof buf)) > 0;) shown.append(buf, static_cast<std::size_t>(n));
  ::close(terminal);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << shown;
  EXPECT_NE(shown.find("\rconverting the entries [#"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("drillmaker: compiling the dictionary"), std::string::npos) << shown;
  EXPECT_EQ(shown.substr(shown.rfind('\r') + 1), "") << "the line is cleared at the end";
  EXPECT_EQ(readFile(outFile), "quiz.drl: 1 question\n");
}

TEST(BatchExecutable, QuietVerboseAndKeepWork) {
  struct Case {
    const char* args;
    bool phases;    // "drillmaker: compiling the dictionary" on standard error
    bool logTexts;  // the compiler's texts on standard error
    bool kept;      // the work files stay
  } cases[] = {
      {"-q drill", false, false, false},
      {"drill --verbose", true, true, false},
      {"-d drill", true, false, true},
      {"--keep-work -q drill", false, false, true},
      {"drill /d", true, false, true},
  };
  for (const Case& c : cases) {
    TempDir dir;
    writeSmallDrill(dir / "cwd/drill", 0);
    const ExeRun run = runExeApart(dir / "cwd", dir / "base", c.args);
    EXPECT_EQ(run.status, 0) << c.args << ": " << run.err;
    EXPECT_EQ(run.out, "quiz.drl: 1 question\n") << c.args;
    EXPECT_EQ(run.err.find("drillmaker: compiling the dictionary\n") != std::string::npos, c.phases)
        << c.args << ": " << run.err;
    EXPECT_EQ(run.err.find("words=") != std::string::npos, c.logTexts) << c.args;
    if (!c.phases && !c.logTexts) {
      EXPECT_EQ(run.err, "") << c.args;
    }
    EXPECT_EQ(fs::exists(dir / "base/TempUsr/Destin/Drill.bin"), c.kept) << c.args;
  }
}

TEST(BatchExecutable, UsageProblemsAreOneLineAndNeverABuild) {
  struct Case {
    const char* args;
    std::string message;
  } cases[] = {
      {"-x drill", "drillmaker: unknown option -x (drillmaker --help lists the options)\n"},
      {"--frobnicate", "drillmaker: unknown option --frobnicate (drillmaker --help lists the options)\n"},
      {"drill other", "drillmaker: expected one folder, got 2 arguments (drillmaker --help lists the options)\n"},
      {"--strict", "drillmaker: --strict needs a FOLDER to build (drillmaker --help lists the options)\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    writeSmallDrill(dir / "cwd/drill", 0);
    const ExeRun run = runExeApart(dir / "cwd", dir / "base", c.args);
    EXPECT_EQ(run.status, 2) << c.args;
    EXPECT_EQ(run.out, "") << c.args;
    EXPECT_EQ(run.err, c.message) << c.args;
    EXPECT_FALSE(fs::exists(dir / "cwd/quiz.drl")) << c.args;
  }
}

TEST(BatchExecutable, HelpNamesEveryCommandOptionFileAndStatus) {
  TempDir dir;
  for (const char* args : {"--help", "-h"}) {
    const ExeRun run = runExeApart(dir.path(), dir / "base", args);
    EXPECT_EQ(run.status, 0) << args;
    for (const char* said :
         {"drillmaker [OPTIONS] FOLDER", "drillmaker inspect FILE.drl [--entries] [--json]", "-d, --keep-work, /d, /D",
          "-q, --quiet", "-v, --verbose", "--strict", "-h, --help", "-V, --version", "$DRILLMAKER_WORK_BASE",
          "drillmaker.log", "0 done", "1 the build failed", "2 a check before the build", "3 another drillmaker",
          "4 with --strict", "130/143"})
      EXPECT_NE(run.out.find(said), std::string::npos) << args << " leaves out " << said;
  }
  const ExeRun version = runExeApart(dir.path(), dir / "base", "-V");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("drillmaker ") + DRILLMAKER_VERSION + "\n");
}

TEST(BatchExecutable, FailuresNameTheirReasonInOneLanguageWhateverTheLocale) {
  TempDir dir;
  writeFile(dir / "cwd/plain-file", "x");
  writeFile(dir / "cwd/pictures-only/a.bmp", "x");
  struct Case {
    const char* args;
    int status;
    std::string message;
  } cases[] = {
      {"no-such-folder", 2,
       "drillmaker: cannot enter the folder " + (dir / "cwd/no-such-folder").string() + ": No such file or directory\n"},
      {"plain-file", 2, "drillmaker: cannot enter the folder " + (dir / "cwd/plain-file").string() + ": Not a directory\n"},
      {"pictures-only", 2, "drillmaker: the check failed: エラー:テキストファイルがありません。\n"},
  };
  for (const char* locale : {"", "LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8"}) {
    for (const Case& c : cases) {
      const ExeRun run = runExeApart(dir / "cwd", dir / "base", c.args, locale);
      EXPECT_EQ(run.status, c.status) << locale << c.args;
      EXPECT_EQ(run.out, "") << locale << c.args;
      EXPECT_NE(run.err.find(c.message), std::string::npos) << locale << c.args << ": " << run.err;
      // The log of the failed run is kept and says the same.
      EXPECT_NE(readFile(dir / "base" / kBatchLogName).find(c.message), std::string::npos) << locale << c.args;
    }
  }
}

TEST(BatchExecutable, ARunThatFailsLeavesItsLogAndTheNextRunReplacesIt) {
  TempDir dir;
  // A source over the size limit: the check pass fails at once.
  writeFile(dir / "cwd/big/big.txt", "");
  fs::resize_file(dir / "cwd/big/big.txt", 16777217);
  const ExeRun failed = runExeApart(dir / "cwd", dir / "base", "big");
  EXPECT_EQ(failed.status, 1) << failed.err;
  const std::string log = readFile(dir / "base" / kBatchLogName);
  EXPECT_EQ(log.rfind("drillmaker " + std::string(DRILLMAKER_VERSION) + ": " + (dir / "cwd/big").string() + "\n", 0), 0u)
      << log;
  EXPECT_NE(log.find("== preparing the work folder\ndrillmaker: the build failed: The source text big.txt has "
                     "16777217 bytes"),
            std::string::npos)
      << log;

  writeSmallDrill(dir / "cwd/small", 0);
  ASSERT_EQ(runExeApart(dir / "cwd", dir / "base", "small").status, 0);
  EXPECT_EQ(readFile(dir / "base" / kBatchLogName).find("big"), std::string::npos) << "replaced";
}

// Removes the variables that name a display, or sets them, for its lifetime.
class DisplayVariables {
 public:
  explicit DisplayVariables(const char* platform = nullptr) {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
      ::unsetenv(name);
    }
    if (platform) ::setenv("QT_QPA_PLATFORM", platform, 1);
  }
  ~DisplayVariables() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name, value->c_str(), 1);
      } else {
        ::unsetenv(name);
      }
    }
  }

 private:
  static constexpr const char* kNames[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST(BatchExecutable, WithoutADisplayAndWithoutAFolderItSaysHowToBuild) {
  TempDir dir;
  struct Case {
    const char* platform;  // QT_QPA_PLATFORM, or unset
    const char* args;
  } cases[] = {{nullptr, ""}, {nullptr, "/d"}, {"xcb", ""}, {"wayland", ""}};
  for (const Case& c : cases) {
    const DisplayVariables noDisplay(c.platform);
    std::string out;
    EXPECT_EQ(runExe(dir.path(), dir / "base", c.args, &out), exitcode::kCheckFailed)
        << (c.platform ? c.platform : "unset") << ": " << out;
#ifdef DRILLMAKER_WITH_WINDOW
    EXPECT_EQ(out, "drillmaker: no display; to build without the window run: drillmaker FOLDER\n")
        << (c.platform ? c.platform : "unset");
#endif
  }
}

TEST(InspectExecutable, AFileThatIsNoDrillContainerIsNamedInOneLine) {
  TempDir dir;
  fs::copy(fs::path(DRILLMAKER_SOURCE_DIR) / "examples" / "quickstart", dir / "drill");
  ASSERT_EQ(runExe(dir.path(), dir / "base", "drill"), exitcode::kDone);
  const std::string drl = readFile(dir / "quickstart.drl");
  ASSERT_GT(drl.size(), 1000u);
  std::string brokenMagic = drl;
  brokenMagic[390] = 'x';
  struct Case {
    const char* file;
    std::string bytes;
    std::string reason;
  } cases[] = {
      {"empty.drl", "", "0 bytes; a container has at least 452"},
      {"notes.txt", std::string(100, 'x'), "100 bytes; a container has at least 452"},
      {"quiz.txt", readFile(dir / "drill" / "quickstart.txt"), "wrong magic at bytes 388-399"},
      {"magic.drl", brokenMagic, "wrong magic at bytes 388-399"},
      {"half.drl", drl.substr(0, drl.size() / 2),
       "its header gives " + std::to_string(drl.size()) + " bytes, the file has " + std::to_string(drl.size() / 2)},
  };
  for (const Case& c : cases) {
    writeFile(dir / c.file, c.bytes);
    std::string out;
    EXPECT_EQ(runExe(dir.path(), dir / "base", std::string("inspect ") + c.file, &out), 1) << c.file;
    EXPECT_EQ(out, std::string("drillmaker: ") + c.file + " is not a drill container (" + c.reason + ")\n");
  }
  std::string out;
  EXPECT_EQ(runExe(dir.path(), dir / "base", "inspect quickstart.drl", &out), 0) << out;
  EXPECT_NE(out.find("checks hold"), std::string::npos) << out;
  EXPECT_EQ(runExe(dir.path(), dir / "base", "inspect --help", &out), 0) << out;
  EXPECT_EQ(out.rfind("Usage: drillmaker inspect FILE.drl [--entries] [--json]\n", 0), 0u) << out;
}

// The options a help text names: words that start with "-" and a letter, or
// the switch "/d" / "/D".
std::set<std::string> optionsIn(const std::string& help) {
  static const std::regex option(R"((?:^|[\s\[,|/(])(--?[A-Za-z][-A-Za-z]*|/[dD])\b)");
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != std::sregex_iterator(); ++it)
    found.insert((*it)[1]);
  return found;
}

TEST(BatchExecutable, TheManualPageNamesEveryOptionOfTheHelp) {
  TempDir dir;
  std::string page = readFile(fs::path(DRILLMAKER_SOURCE_DIR) / "src" / "app" / "drillmaker.1.in");
  ASSERT_FALSE(page.empty());
  // The page as text: troff writes a minus sign as "\-" and changes fonts with "\fB" and the like.
  page = std::regex_replace(page, std::regex(R"(\\f[BIRP])"), "");
  page = std::regex_replace(page, std::regex(R"(\\-)"), "-");
  std::set<std::string> options;
  for (const char* command : {"--help", "inspect --help"}) {
    std::string help;
    ASSERT_EQ(runExe(dir.path(), dir / "base", command, &help), 0) << command;
    options.merge(optionsIn(help));
  }
  EXPECT_TRUE(options.count("--help") && options.count("--json")) << "the options are read from the help";
  for (const std::string& o : options) {
    const std::regex named("(^|[^-A-Za-z])" + o + "([^-A-Za-z]|$)");
    EXPECT_TRUE(std::regex_search(page, named)) << o << " is in --help but not in the manual page";
  }
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
  for (const auto& [path, content] : originalWork) EXPECT_TRUE(rebuiltWork[path] == content) << path;
}

// Starts the executable in `cwd` with its standard error going to `errFile`,
// or to the terminal `errTerminal` when that is not -1.
pid_t startExe(const fs::path& cwd, const fs::path& workBase, const std::vector<std::string>& args,
               const fs::path& errFile, int errTerminal = -1) {
  std::vector<std::string> strings{DRILLMAKER_EXE};
  strings.insert(strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : strings) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStrings{"DRILLMAKER_WORK_BASE=" + workBase.string()};
  for (char** e = environ; *e; ++e)
    if (std::string_view(*e).rfind("DRILLMAKER_WORK_BASE=", 0) != 0) envStrings.emplace_back(*e);
  std::vector<char*> envp;
  for (std::string& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  if (errTerminal >= 0)
    posix_spawn_file_actions_adddup2(&actions, errTerminal, 2);
  else
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  if (posix_spawn(&pid, DRILLMAKER_EXE, &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The files (not folders) below `root`.
std::vector<fs::path> pathsBelow(const fs::path& root) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
    if (!it->is_directory(ec)) files.push_back(it->path());
  return files;
}

// Writes a source of enough questions to keep a run busy for a while.
void writeBusyDrill(const fs::path& file) {
  std::string source =
      "設定\t使い方\t\tドリル\t\t\r\n"
      "分類1\t分類2\t分類3\t問題番号\t問題\t正解\t解説\t制限時間\t選択肢1\t選択肢2\r\n";
  for (int i = 1; i <= 4000; ++i)
    source += "長\t中" + std::to_string(i % 40) + "\t小\t" + std::to_string(i) + "\t問題" + std::to_string(i) +
              "の文章です。\t2\t解説" + std::to_string(i) + "\t\tはい\tいいえ\r\n";
  writeFile(file, "\xFF\xFE" + test::utf16le(source));
}

TEST(BatchExecutable, AnInterruptedRunRemovesItsWorkFilesAndDeliversNothing) {
  struct Case {
    int signal;
    int status;
    const char* name;
    std::vector<std::string> extraArgs;
  } cases[] = {
      {SIGTERM, 143, "SIGTERM", {}},
      {SIGINT, 130, "SIGINT", {"/d"}},  // only a finished run keeps its work files
  };
  for (const Case& c : cases) {
    TempDir dir;
    writeBusyDrill(dir / "cwd/drill/big.txt");
    std::vector<std::string> args{"drill"};
    args.insert(args.end(), c.extraArgs.begin(), c.extraArgs.end());
    const pid_t pid = startExe(dir / "cwd", dir / "base", args, dir / "stderr.txt");
    ASSERT_GT(pid, 0);
    // Interrupted once the run has begun writing its work files.
    int status = 0;
    bool ended = false;
    for (int waited = 0; waited < 60000 && pathsBelow(dir / "base/TempUsr").empty(); ++waited) {
      if (waitpid(pid, &status, WNOHANG) == pid) {
        ended = true;
        break;
      }
      usleep(1000);
    }
    ASSERT_FALSE(ended) << c.name << ": the run ended before it was interrupted";
    usleep(100000);
    kill(pid, c.signal);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << c.name;
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.name << test::readFile(dir / "stderr.txt");
    EXPECT_NE(test::readFile(dir / "stderr.txt").find(std::string("drillmaker: interrupted by ") + c.name +
                                                       "; the work files were removed\n"),
              std::string::npos)
        << test::readFile(dir / "stderr.txt");
    // The log of the run stays: it says how far the run came.
    std::vector<fs::path> left = pathsBelow(dir / "base");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<fs::path>{dir / "base" / platform::kInstanceLockName, dir / "base" / kBatchLogName}))
        << c.name;
    EXPECT_NE(test::readFile(dir / "base" / kBatchLogName).find("== reading the source text\n"), std::string::npos)
        << c.name;
    EXPECT_EQ(pathsBelow(dir / "cwd"), std::vector<fs::path>{dir / "cwd/drill/big.txt"}) << c.name;
  }
}

// On a terminal the message of an interruption starts a line of its own
// instead of running on after the progress line.
TEST(BatchExecutable, AnInterruptionOnATerminalIsNotWrittenOverTheProgressLine) {
  TempDir dir;
  writeBusyDrill(dir / "cwd/drill/big.txt");
  int terminal = -1, side = -1;
  ASSERT_EQ(::openpty(&terminal, &side, nullptr, nullptr, nullptr), 0);
  const pid_t pid = startExe(dir / "cwd", dir / "base", {"drill"}, {}, side);
  ::close(side);
  ASSERT_GT(pid, 0);
  ::fcntl(terminal, F_SETFL, ::fcntl(terminal, F_GETFL) | O_NONBLOCK);
  std::string shown;
  auto readShown = [&] {
    char buf[4096];
    for (ssize_t n; (n = ::read(terminal, buf, sizeof buf)) > 0;) shown.append(buf, static_cast<std::size_t>(n));
  };
  // Interrupted while the progress line shows.
  int status = 0;
  bool ended = false;
  for (int waited = 0; waited < 60000 && shown.find("\rconverting") == std::string::npos; ++waited) {
    readShown();
    if (waitpid(pid, &status, WNOHANG) == pid) {
      ended = true;
      break;
    }
    usleep(1000);
  }
  ASSERT_FALSE(ended) << "the run ended before it was interrupted";
  kill(pid, SIGINT);
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  readShown();
  ::close(terminal);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const std::size_t at = shown.find("drillmaker: interrupted by SIGINT");
  ASSERT_NE(at, std::string::npos) << shown;
  ASSERT_GT(at, 0u);
  EXPECT_EQ(shown[at - 1], '\r') << "the message starts at the line's beginning: " << shown.substr(at > 80 ? at - 80 : 0);
  const std::size_t lineStart = shown.rfind('\r', at - 2);
  const std::string cleared = shown.substr(lineStart + 1, at - 1 - (lineStart + 1));
  EXPECT_EQ(cleared.find_first_not_of(' '), std::string::npos) << "the progress line is blanked: [" << cleared << "]";
}

}  // namespace
}  // namespace dm
