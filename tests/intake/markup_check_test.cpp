#include "intake/markup_check.h"

#include <gtest/gtest.h>

#include "intake_fixture.h"

namespace dm {
namespace {

using test::FakeMedia;
using test::plainCodes;

struct MarkupFixture : testing::Test {
  FakeMedia media;
  IntakeState state;

  // Runs the check on `text` as line 3; returns the changed text.
  std::u16string check(std::u16string text, bool* rejected = nullptr) {
    state.lineNumber = 3;
    state.lineRejected = false;
    state.media.reportedPictures.clear();
    state.media.reportedSounds.clear();
    CheckContext context = media.context();
    const bool r = checkMarkup(state, context, text);
    if (rejected) *rejected = r;
    return text;
  }
};

TEST_F(MarkupFixture, NestingRules) {
  struct Case {
    std::u16string text;
    int code;  // 0: accepted without finding
  } cases[] = {
      {u"<B>a<I>b</I></B>", 0},
      {u"<B>a<I>b</B></I>", 23},
      {u"<B><U><I>x</I></U></B>", 23},
      {u"<B>a<B>b</B></B>", 23},
      {u"<B></B>", 37},
      {u"<B> \u3000</B>", 37},
      {u"<GB></GB>", 37},
      {u"<GB>x</GB>", 0},
      {u"<B><P>a.bmp</P></B>", 23},
      {u"<P>a<N>b.bmp</P>", 37},
      {u"<P>a.bmp", 23},
      {u"<P></P>", 37},
      {u"<V> </V>", 37},
      {u"</B>", 23},
      {u"<B>x", 23},
      {u"<B>x\t</B>", 23},
      {u"a<N>b<N>", 0},
      {u"<S>x</S>\t<U>y</U>\t<L>z</L>", 0},
      {u"<x>not a tag</x> <b>", 0},
      {u"<TC color=\"red\">x</TC>", 0},
      {u"<TC color=\"red\"><B>x</B></TC>", 0},
      {u"<TC color=\"red\"><B><I>x</I></B></TC>", 23},
      {u"<TC color=\"red\">x", 23},
      {u"<B>x</I>", 23},
  };
  for (const Case& c : cases) {
    state = IntakeState{};
    bool rejected = false;
    const std::u16string out = check(c.text, &rejected);
    if (c.code == 0) {
      EXPECT_FALSE(rejected) << utf16ToUtf8(c.text);
      EXPECT_TRUE(state.errors.empty()) << utf16ToUtf8(c.text);
      EXPECT_EQ(out, c.text);
    } else {
      EXPECT_TRUE(rejected) << utf16ToUtf8(c.text);
      EXPECT_EQ(plainCodes(state), std::vector<int>{c.code}) << utf16ToUtf8(c.text);
      EXPECT_EQ(out, u"") << utf16ToUtf8(c.text);
    }
  }
}

TEST_F(MarkupFixture, ColourSpecifications) {
  struct Case {
    std::u16string text;
    bool bad;
  } cases[] = {
      {u"<TC color=\"Red\">x</TC>", false},
      {u"<TC color=\"00ff7F\">x</TC>", false},
      {u"<TC color=\"FUCHSIA\">x</TC>", false},
      {u"<TC color=\"orangered\">x</TC>", false},  // begins with a colour name
      {u"<TC color=red>x</TC>", true},
      {u"<TC color=\"#123456\">x</TC>", true},
      {u"<TC color=\"12345\">x</TC>", true},
      {u"<TC color=\"12345g\">x</TC>", true},
      {u"<TC color=\"red>x</TC>", true},
  };
  for (const Case& c : cases) {
    state = IntakeState{};
    bool rejected = true;
    const std::u16string out = check(c.text, &rejected);
    EXPECT_FALSE(rejected) << utf16ToUtf8(c.text);
    EXPECT_EQ(out, c.text);
    EXPECT_EQ(plainCodes(state), c.bad ? std::vector<int>{56} : std::vector<int>{}) << utf16ToUtf8(c.text);
  }
  EXPECT_TRUE(isGoodColour(u"silver"));
  EXPECT_TRUE(isGoodColour(u"aBcDeF"));
  EXPECT_FALSE(isGoodColour(u""));
  EXPECT_FALSE(isGoodColour(u"gre"));
}

TEST_F(MarkupFixture, TwoBadColoursOnOneLineAreReportedOnce) {
  check(u"<TC color=x>a</TC>\t<TC color=y>b</TC>");
  EXPECT_EQ(plainCodes(state), std::vector<int>{56});
}

TEST_F(MarkupFixture, ColourSpecificationNeverReadsIntoTheNextField) {
  bool rejected = false;
  check(u"<TC color=\"red\tabc\">x</TC>", &rejected);
  EXPECT_TRUE(rejected);
  EXPECT_EQ(plainCodes(state), (std::vector<int>{23, 56}));
}

TEST_F(MarkupFixture, MediaNamesKeptOrRemoved) {
  media.addPicture("bad.bmp", 0);
  media.addPicture("tall.bmp", 1, 3, 1501);
  media.addPicture("seven.bmp", 7);
  media.addPicture("anim.gif", 1, 2);
  media.addPicture("ok.jpg", 5);
  media.addSound("bad.mp3", -1);
  media.addSound("ok.rmp", 0);
  struct Case {
    std::u16string text;
    std::u16string out;
  } cases[] = {
      {u"<P>missing.bmp</P>", u"<P>missing.bmp</P>"},
      {u"<P>bad.bmp</P>x", u"<P></P>x"},
      {u"<P>tall.bmp</P>", u"<P></P>"},
      {u"<P>seven.bmp</P>", u"<P></P>"},
      {u"<P>anim.gif</P>", u"<P>anim.gif</P>"},
      {u"<P>OK.JPG</P>", u"<P>OK.JPG</P>"},
      {u"<P>ok.jpg </P>", u"<P></P>"},
      {u"<V>song.wav</V>", u"<V></V>"},
      {u"<V>missing.mp3</V>", u"<V></V>"},
      {u"<V>bad.mp3</V>", u"<V></V>"},
      {u"<V>ok.rmp</V>", u"<V>ok.rmp</V>"},
      {u"<P>bad.bmp</P><B>x</B>\t<P>bad.bmp</P>", u"<P></P><B>x</B>\t<P></P>"},
  };
  for (const Case& c : cases) {
    bool rejected = true;
    EXPECT_EQ(check(c.text, &rejected), c.out) << utf16ToUtf8(c.text);
    EXPECT_FALSE(rejected) << utf16ToUtf8(c.text);
  }
}

TEST_F(MarkupFixture, RemovedNameShiftsTheRestOfTheField) {
  media.addPicture("bad.bmp", 0);
  bool rejected = false;
  // After the removal the field still ends at the right place: the open <B>
  // of the next field is found unclosed.
  EXPECT_EQ(check(u"<P>bad.bmp</P>\t<B>x", &rejected), u"");
  EXPECT_TRUE(rejected);
}

}  // namespace
}  // namespace dm
