#include "intake/source_reader.h"

#include <gtest/gtest.h>

#include <sstream>

#include "intake/sjis_table.h"
#include "intake_fixture.h"
#include "platform/failure.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

using test::wideOf;

TEST(SjisTable, SizeOrderAndKnownRows) {
  ASSERT_EQ(kSjisTableSize, 7724u);
  for (std::size_t i = 1; i < kSjisTableSize; ++i) ASSERT_LT(kSjisTable[i - 1].code, kSjisTable[i].code);
  for (const SjisPair& p : kSjisTable) {
    EXPECT_FALSE(p.code >= 0xF040 && p.code <= 0xF9FC) << std::hex << p.code;
    EXPECT_GE(p.code, 0x8140);
  }
  struct Row {
    std::uint16_t code;
    char16_t unit;
  } rows[] = {
      {0x8140, 0x3000}, {0x8160, 0xFF5E}, {0x817C, 0xFF0D}, {0x8191, 0xFFE0}, {0x815F, 0xFF3C},
      {0x82A0, 0x3042}, {0x889F, 0x4E9C}, {0x8740, 0x2460}, {0xED40, 0x7E8A}, {0xFA40, 0x2170},
      {0xFC4B, 0x9ED1},
  };
  for (const Row& r : rows) EXPECT_EQ(lookupSjis(r.code), r.unit) << std::hex << r.code;
  for (std::uint16_t code : {0xF040, 0xF5A0, 0xF9FC, 0x8100, 0x81FF, 0xFC4C, 0xA0A0})
    EXPECT_EQ(lookupSjis(code), 0) << std::hex << code;
}

struct Decoded {
  std::u16string text;
  std::string log;
};

Decoded decode(std::string_view bytes) {
  std::istringstream in{std::string(bytes)};
  std::ostringstream out;
  std::ostringstream log;
  decodeShiftJis(in, out, log);
  return {wideOf(out.str()), log.str()};
}

TEST(DecodeShiftJis, EachByteClass) {
  struct Case {
    const char* what;
    std::string bytes;
    std::u16string text;
    std::string log;
  } cases[] = {
      {"ASCII, TAB, CR, LF", "A z\t1\r\n", u"A z\t1\r\n", ""},
      {"backslash stays", "\\", u"\\", ""},
      {"0x7D stays, 0x7E is overline", "}~", u"}\u203E", ""},
      {"half-width katakana", "\xA1\xB1\xDF", u"\uFF61\uFF71\uFF9F", ""},
      {"two-byte codes", "\x82\xA0\x88\x9F\x81\x60", u"\u3042\u4E9C\uFF5E", ""},
      {"NEC and IBM rows", "\x87\x40\xED\x40\xFA\x40", u"\u2460\u7E8A\u2170", ""},
      {"control bytes are errors", std::string("a\x00\x01\x7F\x80", 5), u"a", ":0x0000\n:0x0001\n:0x007f\n:0x0080\n"},
      {"user-defined row dropped", "a\xF0\x40z", u"az", ":0xf040\n"},
      {"unmapped two-byte code", "\x81\xFF", u"", ":0x81ff\n"},
      {"0xA0 is a lead byte", "\xA0\x41", u"", ":0xa041\n"},
      {"0xFD to 0xFF are lead bytes", "\xFD\x41\xFF\xFF", u"", ":0xfd41\n:0xffff\n"},
      {"lead byte at the end", "ab\x82", u"ab", ":0x0082\n"},
      {"lead byte before a line break keeps the break", "a\x82\r\nb", u"a\r\nb", ":0x0082\n"},
      {"lead byte before a tab keeps the tab", "\x88\tx", u"\tx", ":0x0088\n"},
  };
  for (const Case& c : cases) {
    Decoded d = decode(c.bytes);
    EXPECT_EQ(d.text, c.text) << c.what;
    EXPECT_EQ(d.log, c.log) << c.what;
  }
}

TEST(DecodeShiftJis, TwoByteCodeAcrossTheReadChunk) {
  std::string bytes(65535, 'a');
  bytes += "\x82\xA0z";
  Decoded d = decode(bytes);
  ASSERT_EQ(d.text.size(), 65537u);
  EXPECT_EQ(d.text[65535], u'\u3042');
  EXPECT_EQ(d.text.back(), u'z');
  EXPECT_EQ(d.log, "");
}

TEST(DecodeShiftJis, TraceNamesEachDroppedCode) {
  std::istringstream in("\xF0\x40");
  std::ostringstream out, log, trace;
  EXPECT_EQ(decodeShiftJis(in, out, log, &trace), 1u);
  EXPECT_EQ(trace.str(), "Error,Can't convert code=0xf040\n");
}

TEST(ConvertSourceStream, Utf16WithMarkIsCopiedByteForByte) {
  const std::string source = std::string("\xFF\xFE", 2) + std::string("a\0\x00\xE0\r\0\n\0\x7F", 9);
  std::istringstream in(source);
  std::ostringstream out, log;
  EXPECT_EQ(convertSourceStream(in, out, log), SourceEncoding::Utf16Le);
  EXPECT_EQ(out.str(), source);
  EXPECT_EQ(log.str(), "");
}

TEST(ConvertSourceStream, AnythingElseIsShiftJisWithAMark) {
  struct Case {
    std::string source;
    std::u16string text;
  } cases[] = {
      {"a\tb\r\n", u"\uFEFFa\tb\r\n"},
      {"", u"\uFEFF"},
      {"\xFF", u"\uFEFF"},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.source);
    std::ostringstream out, log;
    EXPECT_EQ(convertSourceStream(in, out, log), SourceEncoding::ShiftJis);
    EXPECT_EQ(wideOf(out.str()), c.text);
  }
}

TEST(DetectSourceEncoding, MarksFirstThenWellFormedUtf8ElseShiftJis) {
  using E = SourceEncoding;
  struct Case {
    const char* what;
    std::string bytes;
    E encoding;
  } cases[] = {
      {"little-endian mark", "\xFF\xFE" "a", E::Utf16Le},
      {"big-endian mark", std::string("\xFE\xFF\0a", 4), E::Utf16Be},
      {"UTF-8 mark", "\xEF\xBB\xBF" "a", E::Utf8},
      {"a lone UTF-8 mark", "\xEF\xBB\xBF", E::Utf8},
      {"UTF-8 mark before bytes that are not UTF-8", "\xEF\xBB\xBF\x8A\x77", E::Utf8},
      {"half a UTF-8 mark", "\xEF\xBB", E::ShiftJis},
      {"UTF-8 without a mark", "\xE5\xAD\xA6\xE7\xBF\x92" "1\r\n", E::Utf8},
      {"UTF-8 with one stray byte", "\xE5\xAD\xA6\xE7\xBF\x92\x82\xA0", E::ShiftJis},
      {"UTF-8 cut in the last character", "\xE5\xAD\xA6\xE7\xBF", E::ShiftJis},
      {"Shift-JIS", "\x8A\x77\x8F\x4B" "1", E::ShiftJis},
      {"Shift-JIS half-width katakana", "\xB1\xB2", E::ShiftJis},
      {"plain ASCII", "a\tb\r\n", E::ShiftJis},
      {"nothing", "", E::ShiftJis},
  };
  for (const Case& c : cases) EXPECT_EQ(detectSourceEncoding(c.bytes), c.encoding) << c.what;
}

TEST(ConvertSourceStream, Utf16BigEndianAndUtf8BecomeLittleEndianWithOneMark) {
  using E = SourceEncoding;
  struct Case {
    const char* what;
    std::string source;
    E encoding;
    std::u16string text;
  } cases[] = {
      {"big-endian", std::string("\xFE\xFF\0a\x5B\x66\0\r\0\n", 10), E::Utf16Be, u"\uFEFFa学\r\n"},
      {"big-endian, odd last byte dropped", std::string("\xFE\xFF\0a\x5B", 5), E::Utf16Be, u"\uFEFFa"},
      {"big-endian outside the BMP keeps its pair", std::string("\xFE\xFF\xD8\x3D\xDE\x00", 6), E::Utf16Be,
       u"\uFEFF\U0001F600"},
      {"a lone big-endian mark", "\xFE\xFF", E::Utf16Be, u"\uFEFF"},
      {"UTF-8 with its mark", "\xEF\xBB\xBF\xE5\xAD\xA6\xE7\xBF\x92" "1\r\n", E::Utf8, u"\uFEFF学習1\r\n"},
      {"UTF-8 without a mark", "\xE5\xAD\xA6~\\\t\r\n", E::Utf8, u"\uFEFF学~\\\t\r\n"},
      {"a lone UTF-8 mark", "\xEF\xBB\xBF", E::Utf8, u"\uFEFF"},
      {"UTF-8 outside the BMP becomes a pair", "\xEF\xBB\xBF\xF0\x9F\x98\x80", E::Utf8, u"\uFEFF\U0001F600"},
      {"UTF-8 keeps private-use and control codes", "\xEF\xBB\xBF\xEE\x80\x92\x7F", E::Utf8,
       u"\uFEFF\uE012\u007F"},
      {"a broken sequence after the UTF-8 mark", "\xEF\xBB\xBF" "a\x82\xA0", E::Utf8, u"\uFEFFa\uFFFD\uFFFD"},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.source);
    std::ostringstream out, log, trace;
    EXPECT_EQ(convertSourceStream(in, out, log, &trace), c.encoding) << c.what;
    EXPECT_EQ(wideOf(out.str()), c.text) << c.what;
    EXPECT_EQ(out.str().size() % 2, 0u) << c.what;
    EXPECT_EQ(log.str(), "") << c.what;
    EXPECT_EQ(trace.str(), "") << c.what;
  }
}

TEST(ConvertSourceStream, LinesEndingWithLfAloneGetCrLfAndAnyCrLfKeepsTheText) {
  struct Case {
    const char* what;
    std::string source;
    std::string copy;  // UTF-16LE bytes
  } cases[] = {
      {"Shift-JIS, LF only", "a\tb\n\x8A\x77\n", test::bytesOf(u"\uFEFFa\tb\r\n学\r\n")},
      {"Shift-JIS, LF only, no final line end", "a\nb", test::bytesOf(u"\uFEFFa\r\nb")},
      {"Shift-JIS, one CR LF among LFs", "a\nb\r\nc\n", test::bytesOf(u"\uFEFFa\nb\r\nc\n")},
      {"Shift-JIS, CR alone", "a\rb\r", test::bytesOf(u"\uFEFFa\rb\r")},
      {"Shift-JIS, CR and LF apart", "a\rb\n", test::bytesOf(u"\uFEFFa\rb\r\n")},
      {"Shift-JIS, no line end", "a", test::bytesOf(u"\uFEFFa")},
      {"UTF-8, LF only", "\xE5\xAD\xA6\n\n", test::bytesOf(u"\uFEFF学\r\n\r\n")},
      {"UTF-16LE, LF only", test::bytesOf(u"\uFEFFa\nb\n"), test::bytesOf(u"\uFEFFa\r\nb\r\n")},
      {"UTF-16LE, LF only, odd last byte kept", test::bytesOf(u"\uFEFFa\n") + "\x7F",
       test::bytesOf(u"\uFEFFa\r\n") + "\x7F"},
      {"UTF-16LE, one CR LF among LFs", test::bytesOf(u"\uFEFFa\nb\r\n"), test::bytesOf(u"\uFEFFa\nb\r\n")},
      {"UTF-16LE, a unit holding the bytes 0D 0A is no line end", test::bytesOf(u"\uFEFF\u0D00\u000Aa\n"),
       test::bytesOf(u"\uFEFF\u0D00\r\na\r\n")},
      {"UTF-16BE, LF only", std::string("\xFE\xFF\0a\0\n", 6), test::bytesOf(u"\uFEFFa\r\n")},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.source);
    std::ostringstream out, log;
    convertSourceStream(in, out, log);
    EXPECT_EQ(out.str(), c.copy) << c.what;
  }
}

TEST(ConvertSourceFile, WritesTheCopyAndTheLogAndLeavesTheSource) {
  test::TempDir dir;
  const std::string source = "q\xF0\x40\r\n";
  test::writeFile(dir / "drill.txt", source);
  test::RecordingSink sink;
  testing::internal::CaptureStdout();
  convertSourceFile(dir / "drill.txt", dir / "Drill.uni", dir / "Drill_tsv.chk", sink);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(sink.lines, std::vector<std::string>{"Error,Can't convert code=0xf040"});
  EXPECT_EQ(test::readFile(dir / "drill.txt"), source);
  EXPECT_EQ(wideOf(test::readFile(dir / "Drill.uni")), u"\uFEFFq\r\n");
  EXPECT_EQ(test::readFile(dir / "Drill_tsv.chk"), ":0xf040\n");

  const std::string utf16 = "\xFF\xFEq\0";
  test::writeFile(dir / "wide.txt", std::string(utf16.data(), 4));
  convertSourceFile(dir / "wide.txt", dir / "Wide.uni", dir / "Wide_tsv.chk", quietSink());
  EXPECT_EQ(test::readFile(dir / "Wide.uni"), std::string(utf16.data(), 4));
  EXPECT_FALSE(std::filesystem::exists(dir / "Wide_tsv.chk"));
}

TEST(ConvertSourceFile, MissingSourceOrOutputFolderFailsThePass) {
  test::TempDir dir;
  EXPECT_THROW(convertSourceFile(dir / "none.txt", dir / "Drill.uni", dir / "log", quietSink()), PassFailure);
  test::writeFile(dir / "drill.txt", "x");
  EXPECT_THROW(convertSourceFile(dir / "drill.txt", dir / "no/Drill.uni", dir / "log", quietSink()), PassFailure);
}

}  // namespace
}  // namespace dm
