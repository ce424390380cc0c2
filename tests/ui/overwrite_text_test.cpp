#include "ui/overwrite_text.h"

#include <gtest/gtest.h>

#include "textio/wide_line.h"

namespace dm::ui {
namespace {

std::u16string repeat(std::u16string_view unit, int n) {
  std::u16string s;
  for (int i = 0; i < n; ++i) s += unit;
  return s;
}

struct MessageCase {
  const char* label;
  std::u16string name;
  std::u16string expected;
};

TEST(OverwriteMessage, WrapsTheNameAtTheFixedWidths) {
  const std::u16string k = u"漢";
  const std::u16string tail = u"’ファイルが存在します.";
  const MessageCase cases[] = {
      {"short name on one line", u"a.bmp", u"既に’a.bmp’ファイルが存在します."},
      // 20 kanji fill the first line (w = 40); the other 10 stay below it.
      {"30 kanji", repeat(k, 30), u"既に’" + repeat(k, 20) + u"\n" + repeat(k, 10) + tail},
      // The second line ends with "..." once it reaches 25 (13 kanji).
      {"40 kanji", repeat(k, 40), u"既に’" + repeat(k, 20) + u"\n" + repeat(k, 13) + u"..." + tail},
      {"40 ASCII break before the tail", repeat(u"a", 40), u"既に’" + repeat(u"a", 40) + u"\n" + tail},
      // A name that does not fill the line lets the tail break it once.
      {"tail broken", repeat(u"a", 35), u"既に’" + repeat(u"a", 35) + u"’ファ\nイルが存在します."},
      {"tail broken late", repeat(u"a", 30), u"既に’" + repeat(u"a", 30) + u"’ファイルが\n存在します."},
      {"tail fits", repeat(u"a", 17), u"既に’" + repeat(u"a", 17) + tail},
      // A character outside the BMP counts 1 and is never split.
      {"surrogate pair at the break", repeat(u"a", 39) + u"\U00020000" + u"b",
       u"既に’" + repeat(u"a", 39) + u"\U00020000" + u"\nb" + tail},
      {"half-width katakana count 2", repeat(u"ｱ", 21), u"既に’" + repeat(u"ｱ", 20) + u"\nｱ" + tail},
      {"empty name", u"", u"既に’’ファイルが存在します."},
  };
  for (const MessageCase& c : cases)
    EXPECT_EQ(utf16ToUtf8(overwriteMessage(c.name)), utf16ToUtf8(c.expected)) << c.label;
}

// The dialog moves the message's one break off a word when a phrase or name
// boundary lies near it; the characters stay those of the message.
TEST(OverwriteMessageLayout, BreaksBetweenWordsNearTheFixedWidth) {
  const std::u16string k = u"漢";
  const std::u16string tail = u"’ファイルが存在します.";
  const MessageCase cases[] = {
      {"short name on one line", u"a.bmp", u"既に’a.bmp’ファイルが存在します."},
      {"not inside ファイル", repeat(u"a", 35), u"既に’" + repeat(u"a", 35) + u"’\nファイルが存在します."},
      {"a phrase boundary stays", repeat(u"a", 30), u"既に’" + repeat(u"a", 30) + u"’ファイルが\n存在します."},
      {"after an underscore of the name", u"chapter_one_questions_with_pictures_final.txt",
       u"既に’chapter_one_questions_with_pictures_\nfinal.txt" + tail},
      {"where hiragana meets the next word", u"漢字ばかりの長いファイル名前を付けた問題.txt",
       u"既に’漢字ばかりの長いファイル名前を付けた\n問題.txt" + tail},
      {"after a path separator", u"drills/2024/spring/chapter-one/questions/answers.txt",
       u"既に’drills/2024/spring/chapter-one/questions/\nanswers.txt" + tail},
      {"the whole name rather than a far separator", u"drills/2024/spring/chapter-one/questions.txt",
       u"既に’drills/2024/spring/chapter-one/questions.txt’\nファイルが存在します."},
      // Nothing sensible near the width: the message's own break stays.
      {"30 kanji", repeat(k, 30), u"既に’" + repeat(k, 20) + u"\n" + repeat(k, 10) + tail},
      {"40 kanji", repeat(k, 40), u"既に’" + repeat(k, 20) + u"\n" + repeat(k, 13) + u"..." + tail},
      {"a surrogate pair stays whole", repeat(u"a", 39) + u"\U00020000" + u"b",
       u"既に’" + repeat(u"a", 39) + u"\U00020000" + u"b’\nファイルが存在します."},
  };
  for (const MessageCase& c : cases) {
    const std::u16string laidOut = overwriteMessageLayout(c.name);
    EXPECT_EQ(utf16ToUtf8(laidOut), utf16ToUtf8(c.expected)) << c.label;
    std::u16string flat = overwriteMessage(c.name);
    std::erase(flat, u'\n');
    std::u16string flatLaidOut = laidOut;
    std::erase(flatLaidOut, u'\n');
    EXPECT_EQ(utf16ToUtf8(flatLaidOut), utf16ToUtf8(flat)) << c.label << ": same characters";
  }
}

TEST(OverwriteMessage, CharacterWidths) {
  const std::pair<char32_t, int> cases[] = {
      {U'a', 1},      {U'あ', 2},     {U'ア', 2},     {U'ー', 2},     {U'ｱ', 2},      {U'漢', 2},
      {0x3007, 2},    {0x3400, 2},    {0x9FBB, 2},    {0x9FBC, 1},    {0x3000, 1},    {0x30FB, 1},
      {0x3040, 1},    {0x2E9A, 1},    {0xFA2E, 1},    {0x20000, 1},   {U'Ａ', 1},
  };
  for (const auto& [c, width] : cases) EXPECT_EQ(messageCharWidth(c), width) << std::hex << uint32_t(c);
}

TEST(SizeText, KilobytesUpToOneMegabyteThenMegabytes) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, "0.00KB"},
      {1536, "1.50KB"},
      {1048576, "1024.00KB"},
      {1048577, "1.00MB"},
      {3145728, "3.00MB"},
      // Sizes beyond 4 GiB are not cut to 32 bits.
      {5ULL * 1024 * 1024 * 1024, "5120.00MB"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(sizeText(bytes), text) << bytes;
}

TEST(DateText, ZeroPaddedLocalTime) {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 7;
  t.tm_min = 8;
  t.tm_sec = 9;
  EXPECT_EQ(dateText(t), "更新日時:2024年03月05日、07:08:09");
}

TEST(FileKind, FromTheFirstDotInAnyCase) {
  const std::pair<std::u16string, FileKind> cases[] = {
      {u"a.txt", FileKind::Text},      {u"A.BMP", FileKind::Picture}, {u"x.jpeg", FileKind::Picture},
      {u"x.Jpg", FileKind::Picture},   {u"g.gif", FileKind::Picture}, {u"s.MP3", FileKind::Sound},
      {u"r.rmp", FileKind::Sound},     {u"noext", FileKind::Text},    {u"a.b.bmp", FileKind::Text},
      {u"x.wav", FileKind::Text},      {u".bmp", FileKind::Picture},
  };
  for (const auto& [name, kind] : cases) EXPECT_EQ(fileKind(name), kind) << utf16ToUtf8(name);
}

}  // namespace
}  // namespace dm::ui
