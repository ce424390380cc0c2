// Whole batch runs over a real drill folder, checking that nothing of the
// user's is changed or lost: the drill folder stays as it was, outputs land
// only in the start folder, a failed build delivers nothing and leaves an
// earlier container alone, and links are replaced rather than written
// through.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "driver/batch.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

// Every file below `root` with its bytes and modification time.
struct Snapshot {
  std::map<fs::path, std::pair<std::string, fs::file_time_type>> files;
  explicit Snapshot(const fs::path& root) {
    for (const auto& e : fs::recursive_directory_iterator(root))
      if (e.is_regular_file()) files[e.path()] = {readFile(e.path()), e.last_write_time()};
  }
  bool operator==(const Snapshot&) const = default;
};

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

struct DrillFixture {
  TempDir dir;
  BatchEnvironment env;
  std::ostringstream err;
  fs::path drill;
  DrillFixture() {
    env.workBase = dir / "base";
    env.startDir = dir / "cwd";
    env.documents = dir / "docs";
    drill = env.startDir / "drill";
    fs::create_directories(drill);
    fs::copy(fs::path(DRILLMAKER_SOURCE_DIR) / "examples" / "quickstart", drill);
  }
  int run(const std::string& folder = "drill") {
    CommandLine cl;
    cl.action = CommandLine::Action::Batch;
    cl.folder = folder;
    return runBatch(cl, env, err);
  }
  fs::path source() const { return drill / "quickstart.txt"; }
};

TEST(Safety, BatchRunsChangeNothingInTheDrillFolderAndDeliverOnlyIntoTheStartFolder) {
  struct Case {
    const char* name;
    std::string extraLines;  // appended to the bundled source
    std::vector<std::string> delivered;
  };
  const std::vector<Case> cases{
      {"valid", "", {"quickstart.drl"}},
      {"faulty records", "x\ty\tz\t1\t<B>open\t9\t\t99:99\t1\n\t\t\t\t<P>none.bmp</P>\t1\n",
       {"error-quickstart.txt", "quickstart.drl"}},
  };
  for (const Case& c : cases) {
    DrillFixture f;
    if (!c.extraLines.empty()) {
      std::string text = readFile(f.source());
      writeFile(f.source(), text + c.extraLines);
    }
    writeFile(f.env.startDir / "notes.txt", "mine");
    const Snapshot before(f.dir.path() / "cwd");
    EXPECT_EQ(f.run(), exitcode::kDone) << c.name << f.err.str();
    // The drill folder and the user's other files, byte for byte and time.
    Snapshot after(f.dir.path() / "cwd");
    after.files.erase(f.env.startDir / "quickstart.drl");
    after.files.erase(f.env.startDir / "error-quickstart.txt");
    EXPECT_TRUE(before == after) << c.name;
    std::vector<std::string> expected = c.delivered;
    expected.insert(expected.end(), {"drill", "notes.txt"});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(namesIn(f.env.startDir), expected) << c.name;
    EXPECT_EQ(namesIn(f.drill), (std::vector<std::string>{"cat.bmp", "cat.mp3", "quickstart.txt"})) << c.name;
    // Nothing but the base's own files outside the start folder.
    for (const auto& e : fs::recursive_directory_iterator(f.env.workBase / "TempUsr"))
      EXPECT_TRUE(e.is_directory()) << c.name << ": left behind " << e.path();
  }
}

TEST(Safety, RunningTwiceInTheDrillFolderTakesTheFirstReportForNoSource) {
  DrillFixture f;
  writeFile(f.source(), readFile(f.source()) + "x\ty\tz\t1\t<B>open\t9\t\t99:99\t1\n");
  f.env.startDir = f.drill;
  for (int run = 1; run <= 2; ++run) {
    EXPECT_EQ(f.run("."), exitcode::kDone) << run << f.err.str();
    EXPECT_EQ(namesIn(f.drill), (std::vector<std::string>{"cat.bmp", "cat.mp3", "error-quickstart.txt",
                                                          "quickstart.drl", "quickstart.txt"}));
  }
}

TEST(Safety, ALongSourceNameIsDeliveredOrRefusedBeforeTheBuild) {
  // A source file name of 250 bytes: its drill's name has 250 bytes too, its
  // report's name 256, one more than the folder takes.
  const std::string name(246, 'n');
  struct Case {
    const char* what;
    std::string extraLines;
    int status;
    std::vector<std::string> delivered;
  };
  const std::vector<Case> cases{
      {"no findings: the drill alone is delivered", "", exitcode::kDone, {"drill", name + ".drl"}},
      {"a finding: the report cannot be delivered", "x\ty\tz\t1\t<B>open\t9\t\t99:99\t1\n",
       exitcode::kCheckFailed, {"drill"}},
  };
  for (const Case& c : cases) {
    DrillFixture f;
    writeFile(f.drill / (name + ".txt"), readFile(f.source()) + c.extraLines);
    fs::remove(f.source());
    EXPECT_EQ(f.run(), c.status) << c.what << f.err.str();
    EXPECT_EQ(namesIn(f.env.startDir), c.delivered) << c.what;
    if (c.status == exitcode::kCheckFailed) {
      EXPECT_NE(f.err.str().find("the file name error-" + name + ".txt is 256 bytes long; the folder " +
                                 f.env.startDir.string() + " takes names of up to 255 bytes."),
                std::string::npos)
          << f.err.str();
    }
    for (const auto& e : fs::recursive_directory_iterator(f.env.workBase / "TempUsr"))
      EXPECT_TRUE(e.is_directory()) << c.what << ": left behind " << e.path();
  }
}

TEST(Safety, APictureWhoseNameIsStoredInShiftJisIsFound) {
  DrillFixture f;
  // 絵.bmp in Shift-JIS, as the folder holds it and as the source names it.
  const std::string sjisName = "\x8a\x47.bmp";
  fs::rename(f.drill / "cat.bmp", f.drill / sjisName);
  std::string text = readFile(f.source());
  for (std::size_t at; (at = text.find("cat.bmp")) != std::string::npos;) text.replace(at, 7, sjisName);
  writeFile(f.source(), text);
  EXPECT_EQ(f.run(), exitcode::kDone) << f.err.str();
  EXPECT_EQ(namesIn(f.env.startDir), (std::vector<std::string>{"drill", "quickstart.drl"})) << "no findings";
}

TEST(Safety, AFailedBuildDeliversNothingAndKeepsTheEarlierContainer) {
  DrillFixture f;
  writeFile(f.env.startDir / "quickstart.drl", "last week's drill");
  // A folder where the final image must be written makes the build fail.
  fs::create_directories(f.env.workBase / "TempUsr" / "Destin" / "Drill.bin" / "x");
  EXPECT_EQ(f.run(), exitcode::kPassFailed) << f.err.str();
  EXPECT_EQ(readFile(f.env.startDir / "quickstart.drl"), "last week's drill");
  EXPECT_EQ(namesIn(f.env.startDir), (std::vector<std::string>{"drill", "quickstart.drl"}));
}

TEST(Safety, DeliveryReplacesALinkInTheStartFolderNotItsTarget) {
  DrillFixture f;
  writeFile(f.dir / "elsewhere" / "precious.drl", "precious");
  fs::create_symlink(f.dir / "elsewhere" / "precious.drl", f.env.startDir / "quickstart.drl");
  EXPECT_EQ(f.run(), exitcode::kDone) << f.err.str();
  EXPECT_EQ(readFile(f.dir / "elsewhere" / "precious.drl"), "precious");
  EXPECT_FALSE(fs::is_symlink(f.env.startDir / "quickstart.drl"));
  EXPECT_GT(fs::file_size(f.env.startDir / "quickstart.drl"), 1000u);
}

TEST(Safety, AWorkRootLinkedOutsideIsNeitherBuiltInNorEmptied) {
  DrillFixture f;
  writeFile(f.dir / "user" / "Middata" / "thesis.txt", "precious");
  writeFile(f.dir / "user" / "Trash" / "draft.txt", "precious too");
  fs::create_directories(f.env.workBase);
  fs::create_directory_symlink(f.dir / "user", f.env.workBase / "TempUsr");
  EXPECT_EQ(f.run(), exitcode::kDone) << f.err.str();
  EXPECT_EQ(readFile(f.dir / "user" / "Middata" / "thesis.txt"), "precious");
  EXPECT_EQ(readFile(f.dir / "user" / "Trash" / "draft.txt"), "precious too");
  EXPECT_EQ(namesIn(f.dir / "user"), (std::vector<std::string>{"Middata", "Trash"}));
  EXPECT_FALSE(fs::is_symlink(f.env.workBase / "TempUsr"));
}

// Fields at the longest length accepted build; a line far beyond it ends in
// a finding for that line, and the rest of the drill is still built.
TEST(Safety, FieldsAtTheLimitBuildAndALineFarBeyondItIsAFinding) {
  DrillFixture f;
  fs::remove(f.source());
  auto field = [](const std::string& unit, std::size_t units) {
    std::string s;
    for (std::size_t i = 0; i < units; ++i) s += unit;
    return s;
  };
  std::string heading = "分類1\t分類2\t分類3\t問題番号\t問題\t正解\t解説\t制限時間";
  for (int i = 1; i <= 10; ++i) heading += "\t選択肢" + std::to_string(i);
  // 4000 units: bold spans and plain text, cut nowhere near a tag boundary.
  const std::string longest = field("<B>問題</B>文章、", 4000 / 12) + field("あ", 4000 % 12);
  std::string full = "長\t中\t小\t1\t" + longest + "\t3\t" + longest + "\t1:00";
  for (int i = 0; i < 10; ++i) full += "\t" + field(std::to_string(i), 4000);
  const std::string huge = "長\t中\t小\t2\t" + field("x", 1 << 20) + "\t1\t\t\ta\tb";
  const std::string plain = "長\t中\t小\t3\t普通の問題\t2\t\t\tはい\tいいえ";
  writeFile(f.drill / "limits.txt",
            "\xFF\xFE" + test::utf16le("設定\t使い方\t\tドリル\t\t\r\n" + heading + "\r\n" + full + "\r\n" + huge +
                                    "\r\n" + plain + "\r\n"));
  EXPECT_EQ(f.run(), exitcode::kDone) << f.err.str();
  EXPECT_GT(fs::file_size(f.env.startDir / "limits.drl"), 20000u);
  const std::string report = readFile(f.env.startDir / "error-limits.txt");
  EXPECT_NE(report.find(test::utf16le("00000004")), std::string::npos) << "the huge line is reported";
  EXPECT_EQ(report.find(test::utf16le("00000003")), std::string::npos) << "the longest fields are accepted";
}

}  // namespace
}  // namespace dm
