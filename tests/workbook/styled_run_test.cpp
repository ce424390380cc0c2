#include "workbook/styled_run.h"

#include <gtest/gtest.h>

namespace dm::workbook {
namespace {

TEST(StyledRun, StretchesOfOneStyleShareTheirMarkup) {
  RunStyle bold;
  bold.bold = true;
  RunStyle red;
  red.colour = "FF0000";
  red.underline = true;
  EXPECT_EQ(markedText({{"a", bold}, {"b", bold}, {" c ", {}}, {"d", red}}),
            "<B>ab</B> c <TC color=\"FF0000\"><U>d</U></TC>");
  EXPECT_EQ(markedText({{"1 < 2", bold}}), "1 < 2");
}

TEST(StyledRun, ColourCodes) {
  const std::pair<const char*, const char*> cases[] = {
      {"FFff8000", "FF8000"}, {"#00a0ff", "00A0FF"}, {"FF000000", ""}, {"theme", ""}, {"#12345G", ""}};
  for (const auto& [written, code] : cases) EXPECT_EQ(colourCode(written), code) << written;
}

}  // namespace
}  // namespace dm::workbook
