#include "textio/wide_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace dm {
namespace {

std::string bytesOf(std::u16string_view text) {
  std::ostringstream out;
  writeWideLine(out, text);
  return out.str();
}

std::vector<std::u16string> readAll(const std::string& bytes, std::size_t maxUnits) {
  std::istringstream in(bytes);
  std::vector<std::u16string> lines;
  std::u16string line;
  while (readWideLine(in, line, maxUnits)) lines.push_back(line);
  return lines;
}

TEST(WideLine, WritesLittleEndianUnitsUnchanged) {
  EXPECT_EQ(bytesOf(u"A\u3042\r\n"), std::string("A\0\x42\x30\r\0\n\0", 8));
}

TEST(WideLine, ReadsLinesKeepingTheLineFeed) {
  auto lines = readAll(bytesOf(u"one\r\ntwo\nlast"), kWideLineUnits);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], u"one\r\n");
  EXPECT_EQ(lines[1], u"two\n");
  EXPECT_EQ(lines[2], u"last");  // the final line has no LF
}

TEST(WideLine, LongLinesComeBackInPiecesOfOneUnitLessThanTheBuffer) {
  auto lines = readAll(bytesOf(u"abcdefg\nxy\n"), 4);
  std::vector<std::u16string> expected{u"abc", u"def", u"g\n", u"xy\n"};
  EXPECT_EQ(lines, expected);
}

TEST(WideLine, PieceBoundaryOfTheSharedBuffer) {
  std::u16string longLine(kWideLineUnits + 5, u'x');
  longLine += u"\r\n";
  auto lines = readAll(bytesOf(longLine), kWideLineUnits);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), kWideLineUnits - 1);
  EXPECT_EQ(lines[1].size(), 6u + 2u);
}

TEST(WideLine, OddTrailingByteAndEmptyStream) {
  EXPECT_TRUE(readAll("", kWideLineUnits).empty());
  auto lines = readAll(std::string("a\0b", 3), kWideLineUnits);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], u"a");
}

TEST(WideLine, BlankLinesAndChomp) {
  EXPECT_TRUE(isBlankWideLine(u"\r\n"));
  EXPECT_TRUE(isBlankWideLine(u"\r\nrest"));
  EXPECT_FALSE(isBlankWideLine(u"\n"));
  EXPECT_FALSE(isBlankWideLine(u" \r\n"));
  EXPECT_EQ(chompWide(u"ab\r\n"), u"ab");
  EXPECT_EQ(chompWide(u"ab\n"), u"ab");
  EXPECT_EQ(chompWide(u"ab"), u"ab");
}

TEST(WideLine, MarkCopy) {
  std::istringstream in(std::string("\xFF\xFE" "a\0", 4));
  std::ostringstream out;
  EXPECT_EQ(copyByteOrderMark(in, out), 2u);
  EXPECT_EQ(out.str(), "\xFF\xFE");
  std::u16string line;
  ASSERT_TRUE(readWideLine(in, line));
  EXPECT_EQ(line, u"a");
}

TEST(Utf, RoundTripsAndReplacesInvalidBytes) {
  const std::string text = "ドリル a\xF0\x9F\x98\x80";
  EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(text)), text);
  EXPECT_EQ(utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(utf8ToUtf16("\xE3\x81"), u"\uFFFD\uFFFD");  // truncated sequence
  EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Utf, ValidityOfUtf8Text) {
  struct Case {
    const char* what;
    std::string text;
    bool valid;
  } cases[] = {
      {"empty", "", true},
      {"ASCII with controls", std::string("a\t\r\n\0~", 6), true},
      {"two, three and four bytes", "\xC2\xA9\xE5\xAD\xA6\xF0\x9F\x98\x80", true},
      {"largest code point", "\xF4\x8F\xBF\xBF", true},
      {"stray continuation byte", "a\x80", false},
      {"truncated at the end", "\xE5\xAD", false},
      {"overlong two bytes", "\xC0\xAF", false},
      {"overlong three bytes", "\xE0\x80\xAF", false},
      {"encoded surrogate", "\xED\xA0\x80", false},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
      {"Shift-JIS kanji", "\x8A\x77\x8F\x4B", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isValidUtf8(c.text), c.valid) << c.what;
}

}  // namespace
}  // namespace dm
