#include "container/size_report.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "work/work_files.h"

namespace dm::container {
namespace {

TEST(SizeReport, LineFormat) {
  EXPECT_EQ(sizeLine("Dic", 88), "Dic                           :00000088(Size:00000.09 KB)\n");
  EXPECT_EQ(sizeLine("DataMap Reserve Space", 20480), "DataMap Reserve Space         :00020480(Size:00020.00 KB)\n");
  EXPECT_EQ(sizeLine("Big", 123456789), "Big                           :123456789(Size:120563.27 KB)\n");
}

TEST(SizeReport, BothReportsInUtf16WithoutMark) {
  test::TempDir dir;
  SizeReports reports(dir / workfiles::kSizeReport, dir / workfiles::kSizeSummary);
  reports.title("Drill");
  reports.size("Dic", 1024);
  reports.finish();
  const std::string text = std::string(29, '-') + "Drill" + std::string(27, '-') + "\n" +
                           "Dic                           :00001024(Size:00001.00 KB)\n" +
                           "\n==> Total:                    :00001024(Size:00001.00 KB)\n" + std::string(58, '-') + "\n";
  EXPECT_EQ(test::readFile(dir / workfiles::kSizeSummary), test::utf16le(text));
  EXPECT_EQ(test::readFile(dir / workfiles::kSizeReport), test::utf16le(text));

  // A report that cannot be created gets no lines; the other still does.
  fs::create_directory(dir / "blocked.out");
  SizeReports half(dir / "blocked.out", dir / "second.sum");
  half.size("Dic", 1);
  EXPECT_EQ(half.total(), 1u);
  half.finish();
  EXPECT_FALSE(test::readFile(dir / "second.sum").empty());
}

}  // namespace
}  // namespace dm::container
