#include "textio/text_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/failure.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

std::vector<std::string> readAllLines(TextFile& file) {
  std::vector<std::string> lines;
  while (char* line = file.readLine()) lines.emplace_back(line);
  return lines;
}

TEST(TextFile, TextModeDropsLineEndsBinaryKeepsTheCarriageReturn) {
  test::TempDir dir;
  test::writeFile(dir / "a.txt", "one\r\ntwo\nthree");
  TextFile text((dir / "a.txt").string(), "r");
  EXPECT_EQ(readAllLines(text), (std::vector<std::string>{"one", "two", "three"}));
  TextFile binary((dir / "a.txt").string(), "rb");
  EXPECT_EQ(readAllLines(binary), (std::vector<std::string>{"one\r", "two", "three"}));
}

TEST(TextFile, LongLinesComeInPiecesThatEachCountAsALine) {
  test::TempDir dir;
  std::string longLine(kNarrowLineBytes + 10, 'x');
  test::writeFile(dir / "long.txt", longLine + "\nend\n");
  TextFile file((dir / "long.txt").string(), "rb");
  auto lines = readAllLines(file);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), kNarrowLineBytes - 1);
  EXPECT_EQ(lines[1].size(), 11u);
  EXPECT_EQ(lines[2], "end");
}

TEST(TextFile, CountsLinesAndReportsProgressEveryFiftyThousandWithoutWritingToStandardOutput) {
  test::TempDir dir;
  std::string content;
  for (int i = 0; i < 100000; ++i) content += "l\n";
  const std::string path = (dir / "many.txt").string();
  test::writeFile(path, content);
  TextFile file(path);
  std::vector<std::pair<long, std::string>> reports;
  file.onProgress([&](long lines, const std::string& name) { reports.emplace_back(lines, name); });
  testing::internal::CaptureStdout();
  std::size_t n = readAllLines(file).size();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(n, 100000u);
  // At 50,000, at 100,000 and at the end.
  const std::vector<std::pair<long, std::string>> expected = {{50000, path}, {100000, path}, {100000, path}};
  EXPECT_EQ(reports, expected);
}

TEST(TextFile, RewindStartsOverAndResetsTheCount) {
  test::TempDir dir;
  test::writeFile(dir / "r.txt", "a\nb\n");
  TextFile file((dir / "r.txt").string());
  ASSERT_NE(file.readLine(), nullptr);
  EXPECT_EQ(file.lineCount(), 1);
  file.rewind();
  EXPECT_EQ(file.lineCount(), 0);
  EXPECT_STREQ(file.readLine(), "a");
  char own[kNarrowLineBytes];
  EXPECT_EQ(file.readLine(own), own);
  EXPECT_STREQ(own, "b");
}

TEST(TextFile, MissingFileFailsThePassWithTheMessage) {
  test::TempDir dir;
  const std::string path = (dir / "missing.txt").string();
  testing::internal::CaptureStdout();
  try {
    TextFile file(path);
    FAIL() << "opened a missing file";
  } catch (const PassFailure& e) {
    EXPECT_EQ(std::string(e.what()), "can't open file " + path + ": No such file or directory\n");
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(TextFile, TemporaryFileIsNamedTemplateFile) {
  TextFile file("", "w+");
  EXPECT_EQ(file.path(), "TEMPLATE_FILE");
  std::fputs("x\n", file.handle());
  std::rewind(file.handle());
  EXPECT_STREQ(file.readLine(), "x");
}

}  // namespace
}  // namespace dm
