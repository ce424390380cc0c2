#include "intake/line_normaliser.h"

#include <gtest/gtest.h>

#include <sstream>

#include "intake_fixture.h"

namespace dm {
namespace {

using test::bytesOf;
using test::wideOf;

// Normalises a whole UTF-16 text (mark included) through the stream pass.
std::u16string normalise(std::u16string_view text) {
  std::istringstream in(bytesOf(text));
  std::ostringstream out;
  normaliseLines(in, out);
  return wideOf(out.str());
}

TEST(NormaliseRecord, QuotingAndReplacements) {
  struct Case {
    const char* what;
    std::u16string in;
    std::u16string out;
  } cases[] = {
      {"plain record unchanged", u"a\tb\r\n", u"a\tb\r\n"},
      {"quoted cell with a line break", u"\"x\r\ny\"\tz\r\n", u"x<N>y\tz\r\n"},
      {"doubled quotes inside a quoted cell", u"\"say \"\"hi\"\"\"\tz\r\n", u"say \"hi\"\tz\r\n"},
      {"empty quoted cell", u"\"\"\tb\r\n", u"\tb\r\n"},
      {"lone quote run of four", u"a\t\"\"\"\"\r\n", u"a\t\"\r\n"},
      {"tab inside quotes becomes a blank", u"\"a\tb\"\r\n", u"a b\r\n"},
      {"break next to an explicit marker adds nothing", u"\"a\r\n<N>b<N>\r\nc\"\r\n", u"a<N>b<N>c\r\n"},
      {"triple quotes", u"\"\"\"x\"\"\"\r\n", u"\"x\"\r\n"},
      {"closing run mid-field", u"\"a\"b\tc\r\n", u"ab\tc\r\n"},
      {"quote inside an unquoted field stays", u"5\" screen\tx\r\n", u"5\" screen\tx\r\n"},
      {"doubled quotes outside quotes halve", u"a\"\"b\r\n", u"a\"b\r\n"},
      {"private-use codes", u"a\uE000\uE012\uE0FF\uE100\r\n", u"a\u3013\u3013\u3013\uE100\r\n"},
      {"<N><P> becomes <P>", u"a<N><P>x.bmp</P>\r\n", u"a<P>x.bmp</P>\r\n"},
      {"tag words to full width",
       u"<Sound>s</Sound><Sound a>x/Sound><Pick>p</Pick><K>k</K><KEY>y</KEY>\r\n",
       u"<Ｓｏｕｎｄ>s</Ｓｏｕｎｄ><Ｓｏｕｎｄ a>x/Ｓｏｕｎｄ><Ｐｉｃｋ>p</Ｐｉｃｋ><Ｋ>k</Ｋ><ＫＥＹ>y</ＫＥＹ>\r\n"},
      {"tag words are case-sensitive", u"<sound><k>\r\n", u"<sound><k>\r\n"},
      {"unclosed quote keeps its line breaks", u"\"a\r\nb\tc\r\n", u"a\nb c\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(normaliseRecord(c.in), c.out) << c.what;
}

TEST(NormaliseLines, JoinsQuotedLinesIntoOneRecord) {
  const std::u16string in =
      u"\uFEFFs\th\r\n"
      u"head\r\n"
      u"a\t\"line 1\r\nline 2\r\nline 3\"\tb\r\n"
      u"\r\n"
      u"c\t\"\"\"q\"\"\"\r\n";
  const std::u16string out =
      u"\uFEFFs\th\r\n"
      u"head\r\n"
      u"a\tline 1<N>line 2<N>line 3\tb\r\n"
      u"\r\n"
      u"c\t\"q\"\r\n";
  EXPECT_EQ(normalise(in), out);
}

TEST(NormaliseLines, UnclosedQuoteTakesEveryRemainingLine) {
  const std::u16string in = u"\uFEFFs\r\nx\t\"open\r\nr1\ta\r\nr2\tb\r\n";
  EXPECT_EQ(normalise(in), u"\uFEFFs\r\nx\topen\nr1 a\nr2 b\n");
}

TEST(NormaliseLines, MarkIsCopiedAndOddInputSurvives) {
  EXPECT_EQ(normalise(u"\uFEFF"), u"\uFEFF");
  EXPECT_EQ(normalise(u""), u"");
  EXPECT_EQ(normalise(u"\uFEFFlast line without break"), u"\uFEFFlast line without break");

  std::u16string tabs(10000, u'\t');
  EXPECT_EQ(normalise(u"\uFEFF" + tabs + u"\r\n"), u"\uFEFF" + tabs + u"\r\n");

  std::u16string quotes(100001, u'"');
  const std::u16string out = normalise(u"\uFEFF" + quotes + u"\r\nnext\r\n");
  EXPECT_FALSE(out.empty());
}

TEST(ScanQuotes, StateCarriesAcrossAppendedLines) {
  QuoteScan scan;
  std::u16string rec = u"a\t\"x\r\n";
  scanQuotes(rec, scan);
  EXPECT_TRUE(scan.inQuote);
  rec += u"y\"\"z\r\n";
  scanQuotes(rec, scan);
  EXPECT_TRUE(scan.inQuote);  // a doubled quote neither opens nor closes
  rec += u"w\"\r\n";
  scanQuotes(rec, scan);
  EXPECT_FALSE(scan.inQuote);
  EXPECT_EQ(scan.pos, rec.size());

  QuoteScan midField;
  scanQuotes(u"ab\"c\r\n", midField);
  EXPECT_FALSE(midField.inQuote);
}

}  // namespace
}  // namespace dm
