#include "intake/error_list.h"

#include <gtest/gtest.h>

#include "intake/intake_state.h"
#include "textio/wide_line.h"

namespace dm {
namespace {

TEST(ErrorEntry, TextByTypeAndCode) {
  struct Case {
    int code;
    std::optional<std::u16string> text;
    EntryType type;
    std::int32_t line;
    std::u16string expected;
  } cases[] = {
      {11, std::nullopt, kLineEntry, 3, u"00000003"},
      {35, u"\u0040", kLineEntry, 12, u"00000012<T>\u0040"},
      {35, u"\u0027xyz", kLineEntry, 12, u"00000012<T>\u0027"},
      {32, u"cat.bmp", kLineEntry, 7, u"00000007<F>cat.bmp"},
      {52, u"drill.txt ファイルの記述が正しくありません。", kSummaryEntry, 9,
       u"drill.txt ファイルの記述が正しくありません。"},
      {54, u"", kSummaryEntry, 9, u""},
      {22, u"a.bmp", kPictureEntry, 9, u"00000000 \ta.bmp  \tフォーマットエラー"},
      {57, u"b.gif", kPictureEntry, 9, u"00000000 \tb.gif  \t(注)GIF画像のため1枚目の画像のみ表示されます。"},
      {22, u"s.mp3", kSoundEntry, 9, u"00000000 \ts.mp3  \tフォーマットエラー"},
      {11, std::nullopt, kLineEntry, 123456789, u"123456789"},
  };
  for (const Case& c : cases) {
    ErrorEntry e = makeErrorEntry(c.code, c.text, c.type, c.line);
    EXPECT_EQ(e.text, c.expected) << c.code;
    EXPECT_EQ(e.code, c.code);
    EXPECT_EQ(e.type, c.type);
  }
}

TEST(ErrorList, OrderedByTextThenCodeThenTypeWithoutDuplicates) {
  IntakeState state;
  state.lineNumber = 4;
  addError(state, 35, u"\u0040", kLineEntry, true);
  addError(state, 32, u"b.bmp", kLineEntry, false);
  addError(state, 56, std::nullopt, kLineEntry, false);
  addError(state, 56, std::nullopt, kLineEntry, false);  // the same finding again
  addError(state, 32, u"a.bmp", kLineEntry, false);
  addError(state, 16, std::nullopt, kLineEntry, false);
  state.lineNumber = 3;
  addError(state, 31, u"a.bmp", kLineEntry, false);
  EXPECT_TRUE(state.lineRejected);
  ASSERT_EQ(countErrors(state), 6u);

  std::vector<std::u16string> texts;
  std::vector<int> codes;
  for (const ErrorEntry& e : state.errors) {
    texts.push_back(e.text);
    codes.push_back(e.code);
  }
  // Line 3 first; on line 4: no name, then by name, then the tag form.
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"00000003<F>a.bmp", u"00000004", u"00000004", u"00000004<F>a.bmp",
                                                u"00000004<F>b.bmp", u"00000004<T>\u0040"}));
  EXPECT_EQ(codes, (std::vector<int>{31, 16, 56, 32, 32, 35}));
}

TEST(ErrorList, WarningsLeaveTheLineAccepted) {
  IntakeState state;
  addError(state, 12, std::nullopt, kLineEntry, false);
  EXPECT_FALSE(state.lineRejected);
  addError(state, 11, std::nullopt, kLineEntry, true);
  EXPECT_TRUE(state.lineRejected);
}

TEST(ErrorCatalogue, MessagesAsWritten) {
  EXPECT_EQ(errorMessage(11), u"タブ数が8未満です。");
  EXPECT_EQ(errorMessage(18), u"問題番号は1\uFF5E9999まで有効です。");
  EXPECT_EQ(errorMessage(30), u"[Genre X] has control charater: \"<N>\" or \"<P>\" or \"<V>\"");
  EXPECT_EQ(errorMessage(31), u"ファイルがありません:");
  EXPECT_EQ(errorMessage(32), u"ファイルがありません:");
  EXPECT_EQ(errorMessage(51), u"音声数は最大4,000,000,00です。");
  EXPECT_EQ(errorMessage(56), u"文字色の設定に誤りがあります。もう一度確認して下さい。");
  EXPECT_EQ(errorMessage(35), u"");
  EXPECT_EQ(errorMessage(99), u"");
  EXPECT_EQ(tagRuleMessage(4), u"問題がありません。");
  EXPECT_EQ(tagRuleMessage(5), u"正解番号がありません。");
  EXPECT_EQ(tagRuleMessage(8), u"選択肢がありません。");
  for (int kind : {0, 1, 2, 3, 6, 7}) EXPECT_EQ(tagRuleMessage(kind), u"") << kind;
}

}  // namespace
}  // namespace dm
