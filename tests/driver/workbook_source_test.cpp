// Whole batch runs over a workbook source: the result equals the build of the
// spreadsheet's own text export of it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "driver/batch.h"
#include "support/temp_dir.h"
#include "workbook/zip_fixture.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

const fs::path kWorkbooks = fs::path(DRILLMAKER_SOURCE_DIR) / "tests" / "workbook" / "data";
const fs::path kQuickstart = fs::path(DRILLMAKER_SOURCE_DIR) / "examples" / "quickstart";

struct DrillRun {
  TempDir dir;
  BatchEnvironment env;
  std::ostringstream err;
  DrillRun() {
    ::setenv("SOURCE_DATE_EPOCH", "1796731200", 1);  // 8 December 2026, 12:00 UTC
    env.workBase = dir / "base";
    env.startDir = dir / "cwd";
    env.documents = dir / "docs";
    fs::create_directories(env.startDir);
  }
  ~DrillRun() { ::unsetenv("SOURCE_DATE_EPOCH"); }
  // A drill folder holding `source` (under the name `name`) and the example's
  // picture and sound.
  fs::path drill(const fs::path& source, const std::string& name) {
    const fs::path folder = dir / "drill";
    fs::create_directories(folder);
    fs::copy_file(source, folder / name);
    for (const char* media : {"cat.bmp", "cat.mp3"}) fs::copy_file(kQuickstart / media, folder / media);
    return folder;
  }
  int build(const fs::path& folder, bool cellStyles = false) {
    CommandLine cl;
    cl.action = CommandLine::Action::Batch;
    cl.folder = folder.string();
    cl.keepWorkTree = true;
    cl.cellStyles = cellStyles;
    return runBatch(cl, env, err);
  }
  // Every delivered and work file, by its path below the run's folder; the
  // run's folder named in a file (a work file lists work paths) is masked.
  std::map<fs::path, std::string> files() const {
    std::map<fs::path, std::string> all;
    const std::string here = dir.path().string();
    for (const fs::path& root : {env.startDir, env.workBase / "TempUsr"})
      for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        std::string bytes = readFile(e.path());
        for (std::size_t at = bytes.find(here); at != std::string::npos; at = bytes.find(here, at))
          bytes.replace(at, here.size(), "<run>");
        all[fs::relative(e.path(), dir.path())] = std::move(bytes);
      }
    return all;
  }
};

// The container's GUID (16 bytes at offset 400) and the sums over it (the
// last 36 bytes) differ from run to run; the rest must not.
std::string withoutGuid(std::string container) {
  constexpr std::size_t kGuidAt = 400, kGuidBytes = 16, kSumBytes = 36;
  if (container.size() < kGuidAt + kGuidBytes + kSumBytes) return container;
  container.replace(kGuidAt, kGuidBytes, kGuidBytes, '\0');
  container.replace(container.size() - kSumBytes, kSumBytes, kSumBytes, '\0');
  return container;
}

class WorkbookBuild : public testing::TestWithParam<const char*> {};

TEST_P(WorkbookBuild, WritesTheBytesTheBuildOfItsTextExportWrites) {
  const std::string ext = GetParam();
  DrillRun fromText, fromWorkbook;
  ASSERT_EQ(fromText.build(fromText.drill(kWorkbooks / ("drill." + ext + ".txt"), "drill.txt")), exitcode::kDone)
      << fromText.err.str();
  ASSERT_EQ(fromWorkbook.build(fromWorkbook.drill(kWorkbooks / ("drill." + ext), "drill." + ext)), exitcode::kDone)
      << fromWorkbook.err.str();
  EXPECT_NE(fromWorkbook.err.str().find("drillmaker: read drill." + ext + " as its first sheet\n"), std::string::npos)
      << fromWorkbook.err.str();

  const std::map<fs::path, std::string> want = fromText.files(), got = fromWorkbook.files();
  ASSERT_TRUE(want.count(fs::path("cwd") / "drill.drl"));
  std::vector<fs::path> wantNames, gotNames;
  for (const auto& [path, bytes] : want) wantNames.push_back(path);
  for (const auto& [path, bytes] : got) gotNames.push_back(path);
  ASSERT_EQ(gotNames, wantNames);
  for (const auto& [path, bytes] : want) {
    const bool container = path.extension() == ".drl" || path.filename() == "Drill.pre" || path.filename() == "Drill.bin";
    EXPECT_TRUE(container ? withoutGuid(got.at(path)) == withoutGuid(bytes) : got.at(path) == bytes) << path;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, WorkbookBuild, testing::Values("xlsx", "ods"));

TEST(WorkbookSource, CountsAsTheOneTextFileOfTheFolder) {
  DrillRun run;
  const fs::path folder = run.drill(kWorkbooks / "drill.ods", "drill.ods");
  fs::copy_file(kWorkbooks / "strings.xlsx", folder / "more.XLSX");
  EXPECT_EQ(run.build(folder), exitcode::kCheckFailed);
  EXPECT_NE(run.err.str().find("テキストファイルが複数存在します。\ndrillmaker: the text files found:\n  " +
                               (folder / "drill.ods").string() + "\n  " + (folder / "more.XLSX").string() + "\n"),
            std::string::npos)
      << run.err.str();

  // An earlier run's report beside the workbook is no second source.
  fs::remove(folder / "more.XLSX");
  writeFile(folder / "error-drill.txt", "an earlier report");
  run.err.str("");
  EXPECT_EQ(run.build(folder), exitcode::kDone) << run.err.str();
  EXPECT_TRUE(fs::exists(run.env.startDir / "drill.drl"));
}

TEST(WorkbookSource, TheReportCountsTheSheetsRowsAlsoAfterACellOfTwoLines) {
  DrillRun run;
  auto cells = [](int row, std::vector<std::string> texts) {
    std::string xml = "<row r=\"" + std::to_string(row) + "\">";
    for (std::size_t c = 0; c < texts.size(); ++c)
      if (!texts[c].empty())
        xml += "<c r=\"" + std::string(1, static_cast<char>('A' + c)) + std::to_string(row) +
               "\" t=\"inlineStr\"><is><t>" + texts[c] + "</t></is></c>";
    return xml + "</row>";
  };
  const std::string rows = cells(1, {"settings", "how to use", "", "drill"}) +
                           cells(2, {"c1", "c2", "c3", "no", "q", "ans", "cm", "time", "1", "2"}) +
                           cells(3, {"a", "b", "c", "1", "line one\nline two", "1", "", "", "x", "y"}) +
                           cells(5, {"a", "b", "c", "2", "no answer", "", "", "", "x", "y"});
  writeFile(run.dir / "drill" / "q.xlsx", test::xlsxOf(rows));
  ASSERT_EQ(run.build(run.dir / "drill"), exitcode::kDone) << run.err.str();
  const std::string report = readFile(run.env.startDir / "error-q.txt");
  EXPECT_NE(report.find(test::utf16le("00000005 行目")), std::string::npos) << report.size();
  EXPECT_EQ(report.find(test::utf16le("00000004 行目")), std::string::npos);
}

TEST(WorkbookSource, ADamagedWorkbookFailsTheCheckNamingWhatIsWrong) {
  DrillRun run;
  const fs::path folder = run.dir / "drill";
  writeFile(folder / "quiz.xlsx", "PK\x03\x04 cut short");
  EXPECT_EQ(run.build(folder), exitcode::kPassFailed);
  EXPECT_NE(run.err.str().find("The workbook quiz.xlsx cannot be read: it is no intact zip package"),
            std::string::npos)
      << run.err.str();
  EXPECT_FALSE(fs::exists(run.env.startDir / "quiz.drl"));
}

TEST(WorkbookSource, CellStylesBecomeMarkupOnlyWithTheFlag) {
  for (const bool cellStyles : {false, true}) {
    DrillRun run;
    ASSERT_EQ(run.build(run.drill(kWorkbooks / "styles.xlsx", "styles.xlsx"), cellStyles), exitcode::kDone)
        << run.err.str();
    const std::string converted = readFile(run.env.workBase / "TempUsr" / "Trash" / "Drill.uni");
    const std::string bold = std::string("\x3C\0B\0>\0", 6);  // "<B>" in UTF-16LE
    EXPECT_EQ(converted.find(bold + std::string("b\0o\0l\0d\0 \0c\0", 12)) != std::string::npos, cellStyles);
  }
}

}  // namespace
}  // namespace dm
