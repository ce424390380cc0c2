#include "conversion/field_pass.h"

#include <gtest/gtest.h>

#include <sstream>

#include "conversion/media_fixture.h"
#include "conversion/notation.h"

namespace dm {
namespace {

using test::codes;
using test::show;

class FieldPass : public ::testing::Test, public test::MediaFixture {
 protected:
  FieldPass() {
    picture("pic.bmp", {1, 1, 10});
    picture("photo.jpg", {1, 5, 10});
    list("s.mp3", "abc");
  }
  std::vector<std::string> run(const std::string& line) {
    std::u16string out;
    fieldPassLine(codes(line) + u"\r\n", out, state.context(), converter());
    return test::wideLines("\xFF\xFE" + bytes(out));
  }
  static std::string bytes(const std::u16string& s) {
    std::string b;
    for (char16_t c : s) {
      b.push_back(static_cast<char>(c & 0xFF));
      b.push_back(static_cast<char>(c >> 8));
    }
    return b;
  }
};

TEST_F(FieldPass, Lines) {
  struct Case {
    std::string in;
    std::vector<std::string> out;
  };
  const Case cases[] = {
      {"DF_q\tplain", {"DF_q\tplain"}},
      {"DF_q\ta<N>b<N>", {"DF_q\ta", "DF_q_c0\tb", "DF_q_c0\t"}},
      {"DF_c\t<N>x", {"DF_c\t", "DF_c_c0\tx"}},
      {"DF_q\t<P>pic.bmp</P><N><N>text", {"BMP\t[P]0015[/P]", "DF_q_c0\ttext"}},
      {"DF_q\t<P>pic.bmp</P><N><N><N>text", {"BMP\t[P]0015[/P]", "DF_q_c0\t", "DF_q_c0\ttext"}},
      {"DF_q\tbefore<P>pic.bmp</P>", {"DF_q\tbefore", "BMP\t[P]0015[/P]"}},
      {"DF_q\ta<P>photo.jpg</P>b<P>missing.bmp</P>",
       {"DF_q\ta", "BMP\t[P]020001[/P]", "DF_q_c0\tb", "BMP\t[P]0014[/P]"}},
      {"DF_q\t<V>s.mp3</V>hello", {"DF_q\t[V]00000000[F:f9dd][/V]hello"}},
      {"DF_q\t<V></V>", {"DF_q\t[V]ffffffff[F:f9dd][/V]"}},
      {"DF_q\t<B>bold</B> <P>open", {"DF_q\t<B>bold</B> <P>open"}},
      {"DF_l\t<N>", {"DF_l\t<N>"}},
      {"START_BLOCK_Word\t", {"START_BLOCK_Word\t"}},
      {"", {""}},
      {"JUMP\t[J][F:f821] x<N>y[/J]2", {"JUMP\t[J][F:f821] x[/J]2", "JUMP_c0\ty"}},
      {"JUMP\t[J][F:f821] see<P>pic.bmp</P>more<N>end[/J]a",
       {"JUMP\t[J][F:f821] see[/J]a", "BMP\t[P]0015[/P]", "JUMP_c0\tmore", "JUMP_c0\tend"}},
      {"JUMP\t[J][F:f821] plain[/J]1", {"JUMP\t[J][F:f821] plain[/J]1"}},
      {"DF_a\t[F:f821] x<N>y", {"DF_a\t[F:f821] x", "DF_a_c0\ty"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> expected = {"<mark>"};
    expected.insert(expected.end(), c.out.begin(), c.out.end());
    EXPECT_EQ(run(c.in), expected) << c.in;
  }
}

TEST_F(FieldPass, SoundSetsTheSoundPhaseEvenWhenEmpty) {
  run("DF_q\tno sound");
  EXPECT_EQ(state.options.soundPhase, 0);
  run("DF_q\t<V></V>");
  EXPECT_EQ(state.options.soundPhase, 1);
  EXPECT_TRUE(state.conversion.media.soundList.empty());
}

TEST_F(FieldPass, SamePictureInTwoLinesConvertsOnce) {
  run("DF_q\t<P>pic.bmp</P>");
  run("DF_c\t<P>PIC.bmp</P>");
  EXPECT_EQ(conversions, 1);
}

TEST_F(FieldPass, StreamCopiesTheMark) {
  std::istringstream in(test::wideFile({"START_BLOCK_Word\t", "DF_q\ta<N>b", "END_BLOCK_Word\t", ""}));
  std::ostringstream out;
  fieldPass(in, out, state.context(), converter());
  EXPECT_EQ(test::wideLines(out.str()),
            (std::vector<std::string>{"<mark>", "START_BLOCK_Word\t", "DF_q\ta", "DF_q_c0\tb", "END_BLOCK_Word\t",
                                      ""}));
}

}  // namespace
}  // namespace dm
