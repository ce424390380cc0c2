// Whole batch runs whose check finds no valid record: the run delivers the
// check report only.
#include <gtest/gtest.h>

#include <sstream>

#include "driver/batch.h"
#include "support/temp_dir.h"
#include "textio/wide_line.h"

namespace dm {
namespace {

using test::readFile;
using test::writeFile;

struct BatchRun {
  test::TempDir dir;
  BatchEnvironment env;
  std::ostringstream err;

  BatchRun() {
    env.workBase = dir / "base";
    env.startDir = dir / "cwd";
    env.documents = dir / "docs";
    fs::create_directories(env.startDir);
    fs::create_directories(env.documents);
  }
  int run(const std::string& folder) {
    CommandLine cl;
    cl.action = CommandLine::Action::Batch;
    cl.folder = (dir / folder).string();
    return runBatch(cl, env, err);
  }
  // The delivered report's lines, without the mark and line ends.
  std::vector<std::string> reportLines(const std::string& name) {
    const std::string bytes = readFile(env.startDir / name);
    std::u16string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8));
    EXPECT_EQ(text.substr(0, 1), u"\uFEFF");
    std::vector<std::string> lines;
    std::size_t start = 1;
    while (start < text.size()) {
      std::size_t end = text.find(u"\r\n", start);
      if (end == std::u16string::npos) end = text.size();
      lines.push_back(utf16ToUtf8(text.substr(start, end - start)));
      start = end + 2;
    }
    return lines;
  }
};

TEST(IntakeBatch, NoValidRecordDeliversTheReportOnly) {
  BatchRun b;
  writeFile(b.dir / "drill/my.words.txt",
            "settings\t\t\t\x89\x70\x8C\xEA\x31\r\n"
            "heading\r\n"
            "A\tB\tC\t1\tq\t1\tcm\r\n"
            "A\tB\tC\t12345\tq\t1\tcm\t\tx\r\n"
            "A\tB\tC\t1\t\t1\tcm\t\tx\r\n"
            "A\t<B>B</B>\tC\t1\tq\t1\tcm\t\tx\r\n"
            "A\tB\tC\t1\t<B>q\t1\tcm\t\tx\r\n");
  writeFile(b.dir / "drill/pic.bmp", "not a picture");
  EXPECT_EQ(b.run("drill"), exitcode::kDone) << b.err.str();
  EXPECT_FALSE(fs::exists(b.env.startDir / "my.words.drl"));
  EXPECT_EQ(b.reportLines("error-my.words.txt"), (std::vector<std::string>{
                                                     "00000003 行目  \tタブ数が8未満です。",
                                                     "00000004 行目  \t問題番号は1～9999まで有効です。",
                                                     "00000005 行目  \t問題がありません。",
                                                     "00000006 行目  \t不正なタグがあります。",
                                                     "00000007 行目  \t不正なタグがあります。",
                                                     "",
                                                     "my.words.txt ファイルの記述が正しくありません。",
                                                 }));
}

TEST(IntakeBatch, OnlyBlankRecordsGiveASummaryOnlyReport) {
  BatchRun b;
  writeFile(b.dir / "d/blank.txt", "s\r\nh\r\n\r\n\t\t\t\r\n");
  EXPECT_EQ(b.run("d"), exitcode::kDone) << b.err.str();
  EXPECT_EQ(b.reportLines("error-blank.txt"),
            (std::vector<std::string>{"", "blank.txt ファイルの記述が正しくありません。"}));
}

}  // namespace
}  // namespace dm
