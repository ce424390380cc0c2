#include "driver/batch_console.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "support/temp_dir.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// One phase with a known total, a log text and a message, as a run says them.
std::string standardError(bool terminal, BatchConsole::Detail detail) {
  std::ostringstream err;
  {
    BatchConsole console(err, terminal, detail);
    console.phase("checking");
    console.progress(1, 2);
    console.log("words=3");
    console.say("drillmaker: warning: w");
    console.note("drillmaker: read quiz.txt as UTF-8");
    console.phase("done");
  }
  return err.str();
}

TEST(BatchConsole, WhatStandardErrorShows) {
  using D = BatchConsole::Detail;
  const std::string bar = "checking [##########----------] 1/2";
  const std::string clearBar = "\r" + std::string(bar.size(), ' ') + "\r";
  struct Case {
    const char* name;
    bool terminal;
    D detail;
    std::string expected;
  } cases[] = {
      {"a pipe: one line per phase", false, D::Phases,
       "drillmaker: checking\ndrillmaker: warning: w\ndrillmaker: read quiz.txt as UTF-8\ndrillmaker: done\n"},
      {"a pipe, verbose: the log texts too", false, D::Verbose,
       "drillmaker: checking\nwords=3\ndrillmaker: warning: w\ndrillmaker: read quiz.txt as UTF-8\n"
       "drillmaker: done\n"},
      {"a pipe, quiet: the messages alone", false, D::Quiet, "drillmaker: warning: w\n"},
      {"a terminal, quiet: the messages alone", true, D::Quiet, "drillmaker: warning: w\n"},
      // The line rewrites itself; a message clears it and it comes back
      // below; the next, shorter phase covers the longer line with spaces;
      // the end clears it.
      {"a terminal: one line rewriting itself", true, D::Phases,
       "\rchecking\r" + bar + clearBar + "drillmaker: warning: w\n\r" + bar + clearBar +
           "drillmaker: read quiz.txt as UTF-8\n\r" + bar + "\rdone" +
           std::string(bar.size() - 4, ' ') + "\r" + std::string(4, ' ') + "\r"},
      {"a terminal, verbose: the log texts above the line", true, D::Verbose,
       "\rchecking\r" + bar + clearBar + "words=3\n\r" + bar + clearBar + "drillmaker: warning: w\n\r" + bar + clearBar +
           "drillmaker: read quiz.txt as UTF-8\n\r" + bar + "\rdone" + std::string(bar.size() - 4, ' ') + "\r" + std::string(4, ' ') + "\r"},
  };
  for (const Case& c : cases) EXPECT_EQ(standardError(c.terminal, c.detail), c.expected) << c.name;
}

TEST(BatchConsole, AProgressLineNeverOutgrowsATerminalLine) {
  std::ostringstream err;
  BatchConsole console(err, true, BatchConsole::Detail::Phases);
  console.phase(std::string(100, 'p'));
  console.progress(123456789012, 987654321098);
  const std::string shown = err.str().substr(err.str().rfind('\r') + 1);
  EXPECT_EQ(shown.size(), 79u) << shown;
}

TEST(BatchConsole, TheLogGetsEverythingAndIsReplacedByTheNextRun) {
  TempDir dir;
  const fs::path log = dir / "drillmaker.log";
  writeFile(log, "the log of an earlier run\n");
  std::ostringstream err;
  {
    BatchConsole console(err, false, BatchConsole::Detail::Quiet);
    ASSERT_EQ(console.openLog(log, "drillmaker 1.2: /drill"), 0);
    console.phase("compiling the dictionary");
    console.log("scan len=4 words=83");
    console.say("drillmaker: warning: w");
    console.note("drillmaker: read quiz.txt as UTF-8");
    console.record("quiz.drl: 1 question");
    // Written as it goes: a run that ends abruptly leaves what it said.
    EXPECT_EQ(readFile(log),
              "drillmaker 1.2: /drill\n== compiling the dictionary\nscan len=4 words=83\n"
              "drillmaker: warning: w\ndrillmaker: read quiz.txt as UTF-8\nquiz.drl: 1 question\n");
  }
  EXPECT_EQ(err.str(), "drillmaker: warning: w\n") << "quiet: the log texts and notes stay in the log";
}

TEST(BatchConsole, ALogThatCannotBeOpenedIsTheSystemsError) {
  TempDir dir;
  std::ostringstream err;
  BatchConsole console(err, false, BatchConsole::Detail::Phases);
  EXPECT_EQ(console.openLog(dir / "missing" / "drillmaker.log", "h"), ENOENT);
  console.log("words=1");  // goes nowhere, harmlessly
  console.say("m");
  EXPECT_EQ(err.str(), "m\n");
}

}  // namespace
}  // namespace dm
