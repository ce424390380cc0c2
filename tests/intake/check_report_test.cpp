#include "intake/check_report.h"

#include <gtest/gtest.h>

#include <sstream>

#include "intake/intake_state.h"
#include "intake_fixture.h"

namespace dm {
namespace {

using test::wideOf;

TEST(CheckReport, LineSectionForms) {
  IntakeState state;
  state.lineNumber = 3;
  addError(state, 11, std::nullopt, kLineEntry, true);
  state.lineNumber = 7;
  addError(state, 32, u"cat.bmp", kLineEntry, false);
  addError(state, 35, u"\u0040", kLineEntry, true);  // question missing
  state.lineNumber = 8;
  addError(state, 35, u"\u0050", kLineEntry, true);  // right answer missing
  addError(state, 35, u"\u0080", kLineEntry, true);  // case missing
  addError(state, 35, u"\u0027", kLineEntry, true);  // category with <B>
  addError(state, 35, u"\u0003", kLineEntry, true);  // how-to-use with <V>
  EXPECT_EQ(checkReportLines(state.errors),
            (std::vector<std::u16string>{
                u"00000003 行目  \tタブ数が8未満です。",
                u"00000007 行目  \tファイルがありません: cat.bmp",
                u"00000007 行目  \t問題がありません。",
                u"00000008 行目  \t不正なタグがあります。",
                u"00000008 行目  \t不正なタグがあります。",
                u"00000008 行目  \t正解番号がありません。",
                u"00000008 行目  \t選択肢がありません。",
            }));
}

TEST(CheckReport, MediaAndSummarySectionsAfterEmptyLines) {
  IntakeState state;
  state.lineNumber = 5;
  addError(state, 31, u"x.mp3", kLineEntry, false);
  addError(state, 22, u"b.bmp", kPictureEntry, false);
  addError(state, 57, u"a.gif", kPictureEntry, false);
  addError(state, 22, u"s.mp3", kSoundEntry, false);
  addError(state, 54, u"", kSummaryEntry, false);
  addError(state, 52, u"drill.txt ファイルの記述が正しくありません。", kSummaryEntry, false);
  EXPECT_EQ(checkReportLines(state.errors),
            (std::vector<std::u16string>{
                u"00000005 行目  \tファイルがありません: x.mp3",
                u"",
                u" \ta.gif  \t(注)GIF画像のため1枚目の画像のみ表示されます。",
                u" \tb.bmp  \tフォーマットエラー",
                u"",
                u" \ts.mp3  \tフォーマットエラー",
                u"",
                u"画像ファイルの総容量は800MBです。",
                u"drill.txt ファイルの記述が正しくありません。",
            }));
}

TEST(CheckReport, FileHasMarkAndCrLfAndTheSinkGetsTheLinesWithoutSeparators) {
  IntakeState state;
  addError(state, 52, u"d.txt ファイルの記述が正しくありません。", kSummaryEntry, false);
  std::ostringstream file;
  std::vector<std::u16string> shown;
  writeCheckReport(state.errors, &file, [&](std::u16string_view line) { shown.emplace_back(line); });
  EXPECT_EQ(wideOf(file.str()), u"\uFEFF\r\nd.txt ファイルの記述が正しくありません。\r\n");
  EXPECT_EQ(shown, (std::vector<std::u16string>{u"d.txt ファイルの記述が正しくありません。"}));

  std::vector<std::u16string> onlyShown;
  writeCheckReport(state.errors, nullptr, [&](std::u16string_view line) { onlyShown.emplace_back(line); });
  EXPECT_EQ(onlyShown, shown);
}

TEST(CheckReport, EmptyListWritesNothing) {
  ErrorList empty;
  std::ostringstream file;
  bool called = false;
  writeCheckReport(empty, &file, [&](std::u16string_view) { called = true; });
  EXPECT_EQ(file.str(), "");
  EXPECT_FALSE(called);
  EXPECT_TRUE(checkReportLines(empty).empty());
}

}  // namespace
}  // namespace dm
