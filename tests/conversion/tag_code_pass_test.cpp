#include "conversion/tag_code_pass.h"

#include <gtest/gtest.h>

#include <sstream>

#include "conversion/notation.h"

namespace dm {
namespace {

using test::codes;
using test::show;

TEST(ColourText, Specifications) {
  struct Case {
    const char16_t* spec;
    const char16_t* text;
  };
  const Case cases[] = {
      {u"\"Red\">x", u"Tred#"},
      {u"\"red\"", u"Tred#"},
      {u"\"00ff7F\">", u"ff00ff7F"},
      {u"\"ff000000\">", u"ff000000"},
      {u"\"redwood\">", u"Tredwood#"},
      {u"\"FUCHSIA\">", u"Tfuchsia#"},
      {u"\"Orange-ish\">", u"Torange-ish#"},
      {u"red>", u"ff000000"},         // unquoted
      {u"\"#123456\">", u"ff000000"},  // not six hex digits
      {u"\"12345g\">", u"ff000000"},
      {u"\"1234567\">", u"ff000000"},
      {u"\"re>d\">", u"ff000000"},     // '>' before the closing quote
      {u"\"red", u"ff000000"},          // no closing quote
      {u"\"\">", u"ff000000"},
      {u"", u"ff000000"},
      {u"\"re\">", u"ff000000"},
  };
  for (const Case& c : cases) EXPECT_EQ(colourText(c.spec), c.text) << show(c.spec);
}

TEST(TagToCode, Lines) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"DF_q\t<B>b</B><I>i</I><U>u</U><S>s</S><L>l</L><GB>g</GB>", "DF_q\t[B]b[/B][I]i[/I][U]u[/U][S]s[/S][L]l[/L][GB]g[/GB]"},
      {"DF_q\t<TC color=\"Red\">x</TC>", "DF_q\t[TC]Tred#x[/TC]"},
      {"DF_q\t<TC color=\"00ff7F\">x</TC>", "DF_q\t[TC]ff00ff7Fx[/TC]"},
      {"DF_q\t<TC color=red>x</TC>", "DF_q\t[TC]ff000000x[/TC]"},
      {"DF_q\t<TC color=\"#123456\">x</TC>", "DF_q\t[TC]ff000000x[/TC]"},
      {"DF_q\t<TC color=\"redwood\">x</TC>", "DF_q\t[TC]Tredwood#x[/TC]"},
      {"DF_q\t<TC color=\"red\"", "DF_q\t[TC]Tred#"},  // no '>': the rest goes
      {"DF_q\t<Q>x</Q>", "DF_q\t<Q>x</Q>"},            // no code for Q
      {"DF_q\ta < b > c <", "DF_q\ta < b > c <"},
      {"DF_q\t</>", "DF_q\t</>"},
      {"<B>TAG\t<B>", "<B>TAG\t[B]"},  // the part before the first TAB stays
      {"DF_q\tx\t<B>", "DF_q\tx\t[B]"},
      {"NO TAB <B>", "NO TAB <B>"},
      {"", ""},
  };
  for (const Case& c : cases) {
    std::u16string line = codes(c.in) + u"\r\n";
    EXPECT_EQ(show(tagToCodeLine(line)), show(codes(c.out) + u"\r\n")) << c.in;
  }
}

TEST(TagToCode, StreamCopiesTheMarkAndLineEnds) {
  std::istringstream in(test::wideFile({"START_BLOCK_Word\t", "DF_q\t<B>x</B>", ""}));
  std::ostringstream out;
  tagToCodePass(in, out);
  EXPECT_EQ(test::wideLines(out.str()),
            (std::vector<std::string>{"<mark>", "START_BLOCK_Word\t", "DF_q\t[B]x[/B]", ""}));
}

}  // namespace
}  // namespace dm
