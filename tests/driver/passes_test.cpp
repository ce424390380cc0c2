#include "driver/passes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "conversion/conversion.h"
#include "driver/deferred_sink.h"
#include "driver/dictionary_phases.h"
#include "driver/prebuild.h"
#include "driver/recording_observer.h"
#include "driver/work_tree.h"
#include "support/fifo.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"
#include "textio/wide_line.h"

namespace dm {
namespace {

std::string clnBytes(std::u16string_view text) {
  std::ostringstream out;
  writeByteOrderMark(out);
  writeWideLine(out, text);
  return out.str();
}

TEST(TagCensus, CountsEntriesAndCollectsDistinctTagsInOrder) {
  std::istringstream in(clnBytes(
      u"START_BLOCK_Word\t\r\nHW\t問題：1\r\nDF_q\tq\r\nDF_q_c0\tmore\r\nEND_BLOCK_Word\t\r\n\r\n"
      u"START_BLOCK_Word\t\r\nDF_m\tlegend\r\nEND_BLOCK_Word\t\r\n\r\n"));
  RunState state;
  state.tagList = {u"KEPT"};
  TagCensus(in, state);
  EXPECT_EQ(state.entryCount, 2u);
  std::vector<std::u16string> expected{u"KEPT",          u"DF_m", u"DF_q", u"DF_q_c0", u"END_BLOCK_Word",
                                       u"HW", u"START_BLOCK_Word"};
  EXPECT_EQ(state.tagList, expected);
}

TEST(TagCensus, EmptyFile) {
  std::istringstream in(clnBytes(u""));
  RunState state;
  TagCensus(in, state);
  EXPECT_EQ(state.entryCount, 0u);
  EXPECT_TRUE(state.tagList.empty());
}

TEST(Passes, AFailingPhaseBecomesStatus1040WithItsText) {
  test::TempDir dir;
  RunState state;
  test::RecordingObserver observer;
  state.observer = &observer;
  state.workBase = dir.path();
  prepareWorkTree(state);
  // Nothing was checked, so the build pass has no input to read.
  PassResult r = BuildPass(state);
  EXPECT_FALSE(r.ok);
  ASSERT_EQ(observer.codes, std::vector<int>{status::kPassFailed});
  EXPECT_FALSE(observer.texts[0].empty());
  EXPECT_EQ(observer.texts[0], r.failureText);
}

TEST(Passes, CheckPassResetsOptionsAndReportsItsEnd) {
  test::TempDir dir;
  test::writeFile(dir / "src" / "a.txt", "\xFF\xFE");
  RunState state;
  test::RecordingObserver observer;
  state.observer = &observer;
  state.workBase = dir / "base";
  state.sourceTextPath = dir / "src" / "a.txt";
  state.options.soundPhase = 1;
  state.options.entryNumberWidth = 3;
  state.params.menu.present = 1;
  state.validRecordCount = 7;
  PassResult r = CheckPass(state);
  ASSERT_TRUE(r.ok) << r.failureText;
  EXPECT_EQ(state.options.soundPhase, 0);
  EXPECT_EQ(state.options.entryNumberWidth, 8);
  EXPECT_EQ(state.params.menu.present, 0);
  EXPECT_EQ(state.params.bitmap.bytes[0], 5);
  EXPECT_EQ(state.params.bitmap.value2, 512u);
  EXPECT_EQ(state.validRecordCount, 0u);
  EXPECT_TRUE(fs::is_directory(state.paths.trash));
  EXPECT_EQ(observer.codes.back(), status::kCheckDone);

  observer.codes.clear();
  state.batchMode = true;
  ASSERT_TRUE(CheckPass(state).ok);
  EXPECT_TRUE(observer.codes.empty()) << "batch mode sends no 180";
}

// A work folder that cannot be written stops the check at once, naming the
// folder and the reason, before any work file is tried (the window has no
// earlier test of its own).
TEST(Passes, AWorkFolderThatCannotBeWrittenFailsTheCheckNamingIt) {
  test::TempDir dir;
  test::writeFile(dir / "src" / "a.txt", "\xFF\xFE");
  test::writeFile(dir / "base" / "TempUsr", "a file where the work folder belongs");
  RunState state;
  test::RecordingObserver observer;
  state.observer = &observer;
  state.workBase = dir / "base";
  state.sourceTextPath = dir / "src" / "a.txt";
  PassResult r = CheckPass(state);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(observer.codes.back(), status::kPassFailed);
  EXPECT_EQ(r.failureText,
            "the work folder " + (dir / "base" / "TempUsr").string() + " cannot be written: Not a directory");
}

TEST(Passes, ASourceOverTheSizeLimitFailsTheCheckSayingSo) {
  test::TempDir dir;
  RunState state;
  test::RecordingObserver observer;
  state.observer = &observer;
  state.workBase = dir / "base";
  state.sourceTextPath = dir / "src" / "big.txt";
  test::writeFile(state.sourceTextPath, "\xFF\xFE");
  // Exactly at the limit the source is read (and found empty of records).
  fs::resize_file(state.sourceTextPath, kMaxSourceBytes);
  EXPECT_TRUE(CheckPass(state).ok);
  fs::resize_file(state.sourceTextPath, kMaxSourceBytes + 1);
  PassResult r = CheckPass(state);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(observer.codes.back(), status::kPassFailed);
  EXPECT_NE(r.failureText.find("big.txt has 16777217 bytes"), std::string::npos) << r.failureText;
  EXPECT_NE(r.failureText.find("16 MiB"), std::string::npos);
}

// Copies the example drill into <dir>/drill and lists it for a batch run
// with its work base in <dir>/base, as the pre-build checks do; returns the
// drill's folder.
fs::path listExample(const test::TempDir& dir, RunState& state) {
  const fs::path drill = dir / "drill";
  fs::create_directories(drill);
  fs::copy(fs::path(DRILLMAKER_SOURCE_DIR) / "examples" / "quickstart", drill);
  state.batchMode = true;
  state.workBase = dir / "base";
  EXPECT_TRUE(preBuildChecks(state, {drill / "quickstart.txt", drill / "cat.bmp", drill / "cat.mp3"}, dir / "docs",
                             [](const fs::path&) { return std::nullopt; }));
  return drill;
}

// The example drill's picture and sound, found at the check, then gone or
// turned into FIFOs before the build: the build still completes (and never
// waits on a FIFO), and the run's warnings name both files and the reason.
TEST(Passes, MediaThatCannotBeReadAtTheBuildAreWarnedAbout) {
  struct Case {
    const char* name;
    void (*change)(const fs::path&);
    const char* reason;
  };
  const Case cases[] = {
      {"vanished", [](const fs::path& p) { fs::remove(p); }, "No such file or directory"},
      {"fifo", [](const fs::path& p) { fs::remove(p), test::makeFifo(p); }, "Not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    RunState state;
    test::RecordingObserver observer;
    state.observer = &observer;
    const fs::path drill = listExample(dir, state);
    ASSERT_TRUE(CheckPass(state).ok);
    ASSERT_GT(state.validRecordCount, 0u);
    for (const char* media : {"cat.bmp", "cat.mp3"}) c.change(drill / media);

    PassResult r;
    EXPECT_TRUE(test::endsWithoutWaitingOn(drill / "cat.bmp", [&] {
      EXPECT_TRUE(test::endsWithoutWaitingOn(drill / "cat.mp3", [&] { r = BuildPass(state); }));
    }));
    EXPECT_TRUE(r.ok) << r.failureText;
    EXPECT_TRUE(fs::exists(state.paths.root / "Destin" / "Drill.bin"));
    const std::vector<std::string> expected = {
        "the picture " + (drill / "cat.bmp").string() + " could not be read during the build (" + c.reason +
            "); the default picture stands in its place",
        "the sound " + (drill / "cat.mp3").string() + " could not be read during the build (" + c.reason +
            "); the drill plays nothing in its place",
    };
    EXPECT_EQ(state.warnings, expected);
  }
}

// The passes name every phase to the run's sink as it starts, in the order
// they run, and the phases' texts reach the sink as log lines; nothing of a
// whole run goes to standard output.
TEST(Passes, NameEveryPhaseInOrderAndWriteNothingToStandardOutput) {
  test::TempDir dir;
  RunState state;
  test::RecordingSink sink;
  state.sink = &sink;
  listExample(dir, state);

  testing::internal::CaptureStdout();
  const bool checked = CheckPass(state).ok;
  const PassResult built = checked ? BuildPass(state) : PassResult{};
  const std::string printed = testing::internal::GetCapturedStdout();
  ASSERT_TRUE(checked);
  ASSERT_TRUE(built.ok) << built.failureText;
  EXPECT_EQ(printed, "");

  using namespace phasename;
  ASSERT_EQ(state.options.menuPhase, 1) << "the example has categories";
  ASSERT_NE(state.options.soundPhase, 0) << "the example has a sound";
  ASSERT_NE(state.options.bitmapPhase, 0) << "the example has a picture";
  const std::vector<std::string> expected = {kPrepare,  kReadSource,  kNormalise, kCheck,    kConvert,
                                             kTagCensus, kCompile,     kMenuIndex, kMenuCompile, kSounds,
                                             kPictures, kFont,        kAssemble};
  EXPECT_EQ(sink.phases, expected);
  EXPECT_TRUE(sink.logged("words=")) << "the compiler's progress texts are log lines";
  EXPECT_FALSE(sink.steps.empty());
  for (auto [done, total] : sink.steps) EXPECT_LE(done, total);
}

// Everything a sink is told, in one list, phases as "== NAME".
class TranscriptSink : public ProgressSink {
 public:
  void phase(std::string_view name) override { said.push_back("== " + std::string(name)); }
  void progress(std::uint64_t done, std::uint64_t total) override {
    said.push_back(std::to_string(done) + "/" + std::to_string(total));
  }
  void log(std::string_view line) override { said.emplace_back(line); }

  // What was said from the phase `from` up to (not including) the phase after it.
  std::vector<std::string> between(std::string_view from, std::string_view to) const {
    const auto b = std::find(said.begin(), said.end(), "== " + std::string(from));
    const auto e = std::find(b, said.end(), "== " + std::string(to));
    return {b, e};
  }
  std::vector<std::string> said;
};

TEST(DeferredSink, RepliesEverythingInOrderOnceAndForgetsIt) {
  DeferredSink deferred;
  deferred.phase("one");
  deferred.log("a line");
  deferred.progress(1, 2);
  deferred.phase("two");
  deferred.log("");
  TranscriptSink to;
  deferred.replay(to);
  EXPECT_EQ(to.said, (std::vector<std::string>{"== one", "a line", "1/2", "== two", ""}));
  deferred.replay(to);
  EXPECT_EQ(to.said.size(), 5u) << "a replay forgets what it told";
}

// The example drill listed and checked, its run's sink a transcript.
struct CheckedExample {
  CheckedExample() {
    state.sink = &sink;
    listExample(dir, state);
    checked = CheckPass(state).ok;
  }
  test::TempDir dir;
  RunState state;
  TranscriptSink sink;
  bool checked = false;
};

// The menu phases run beside the entries' compile, yet the run's sink hears
// them in their turn, saying exactly what they say when they run one after
// the other.
TEST(Passes, TheMenuPhasesAreHeardInTheirTurnAsIfTheyRanAlone) {
  CheckedExample run;
  ASSERT_TRUE(run.checked);
  RunState& state = run.state;
  const TranscriptSink& side = run.sink;
  const PassResult built = BuildPass(state);
  ASSERT_TRUE(built.ok) << built.failureText;

  // The same phases, one after the other, in the same work folder.
  TranscriptSink alone;
  state.sink = &alone;
  ASSERT_TRUE(CheckPass(state).ok);
  convertDrill(conversionContextOf(state));
  TagCensus(state);
  alone.phase(phasename::kCompile);
  compileDrillBody(state);
  alone.phase(phasename::kMenuIndex);
  convertMenuIndexFile(menuIndexContextOf(state));
  alone.phase(phasename::kMenuCompile);
  compileMenuCaptions(state);
  alone.phase(phasename::kSounds);

  const std::vector<std::string> expected = alone.between(phasename::kCompile, phasename::kSounds);
  ASSERT_GT(expected.size(), 3u);
  EXPECT_EQ(side.between(phasename::kCompile, phasename::kSounds), expected);
}

// Whichever of the compiles beside each other fails, the pass fails with
// that failure; when both fail, with the entries' compile's, which comes
// first in a run. A failed menu phase says nothing after its failure.
TEST(Passes, AFailureBesideTheEntriesCompileIsThePassFailure) {
  struct Case {
    const char* name;
    std::vector<const char*> blocked;  // folders under Destin made files
    const char* failureNames;          // a folder the failure names
    const char* lastPhase;
  };
  const Case cases[] = {
      {"menu index", {"Menu"}, "Menu", phasename::kMenuIndex},
      {"entries", {"Dict"}, "Dict", phasename::kCompile},
      {"both", {"Dict", "Menu"}, "Dict", phasename::kCompile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CheckedExample run;
    ASSERT_TRUE(run.checked);
    RunState& state = run.state;
    for (const char* folder : c.blocked) {
      fs::remove_all(state.paths.destin / folder);
      test::writeFile(state.paths.destin / folder, "a file where a folder belongs");
    }
    const PassResult r = BuildPass(state);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.failureText.find((state.paths.destin / c.failureNames).string()), std::string::npos)
        << r.failureText;
    std::vector<std::string> phases;
    for (const std::string& line : run.sink.said)
      if (line.rfind("== ", 0) == 0) phases.push_back(line.substr(3));
    ASSERT_FALSE(phases.empty());
    EXPECT_EQ(phases.back(), c.lastPhase);
  }
}

}  // namespace
}  // namespace dm
