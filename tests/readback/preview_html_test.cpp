// The preview page of hand-made entries: how the device codes of a line
// become HTML, and that every text is escaped.
#include <gtest/gtest.h>

#include "readback/preview.h"

namespace dm::readback {
namespace {

// The page of one entry that is no question, holding `line`.
std::string pageOf(const std::u16string& line) {
  PreviewModel m;
  m.name = "t.drl";
  PreviewEntry e;
  e.other = {line};
  m.entries.push_back(e);
  return renderPreview(m).at("index.html");
}

TEST(PreviewHtml, DeviceCodesBecomeElements) {
  struct Case {
    const char* what;
    std::u16string line;
    std::string html;
  };
  const Case cases[] = {
      {"bold", u"\uE002a\uE003b", "<b>a</b>b"},
      {"italic and underline", u"\uE000i\uE001\uE01Au\uE01B", "<i>i</i><u>u</u>"},
      {"keep-together run", u"\uE012x y\uE013", "<span class=\"keep\">x y</span>"},
      {"named colour", u"\uE066Tred#x\uE067", "<span style=\"color:red\">x</span>"},
      {"name matched by its start", u"\uE066Tredwood#x\uE067", "<span style=\"color:red\">x</span>"},
      {"six digits", u"\uE066ff00ff7Fx\uE067", "<span style=\"color:#00ff7F\">x</span>"},
      {"default colour", u"\uE066ff000000x\uE067", "<span style=\"color:#000000\">x</span>"},
      {"unknown name", u"\uE066Tzzz#x\uE067", "<span>x</span>"},
      {"styles crossing", u"\uE002a\uE066Tblue#b\uE003c\uE067",
       "<b>a<span style=\"color:blue\">b</span></b><span style=\"color:blue\">c</span>"},
      {"open at the end of the line", u"\uE002a", "<b>a</b>"},
      {"stray off code", u"a\uE003", "a"},
      {"choice labels", u"\uE0FE\uF821\uE0FF x \uE0FE\uF820\uE0FF", "(1) x (10)"},
      {"jump label and address", u"\uE054\uE0FE\uF822\uE0FF cat\uE05500000003001a", "(2) cat"},
      {"text is escaped", u"<&>\"'", "&lt;&amp;&gt;&quot;&#39;"},
      {"an unknown code", u"\uE0A0", "<span class=\"missing\">code E0A0</span>"},
      {"a picture the container lacks", u"\uE05E0099\uE05F",
       "<span class=\"missing\">picture 0099: the picture tables hold no picture 153</span>"},
      {"a sound the container lacks", u"\uE06200000004\uE0FE\uF9DD\uE0FF\uE063",
       "<span class=\"missing\">sound 00000004: not in the container</span>"},
  };
  for (const Case& c : cases) {
    const std::string page = pageOf(c.line);
    EXPECT_NE(page.find("<p class=\"line\">" + c.html + "</p>"), std::string::npos) << c.what << "\n" << page;
  }
}

TEST(PreviewHtml, NamesCaptionsAndChecksAreEscaped) {
  PreviewModel m;
  m.name = "<b>\"x\".drl";
  m.report.checks.push_back({"checksum", false, "stored <0>, computed &1"});
  m.menu.children.push_back({u"<script>", 3, -1, {{u"a&b", 0, 0, {}}}});
  PreviewEntry e;
  e.isQuestion = true;
  e.heading = u"問題：<i>";
  e.rightAnswer = u"1";
  e.choices.push_back({{u"\uE054\uE0FE\uF821\uE0FF <x>\uE055000000000005"}, true, 0, 5, false});
  m.entries.push_back(e);
  const std::string page = renderPreview(m).at("index.html");
  for (const char* expected : {"<title>&lt;b&gt;&quot;x&quot;.drl — preview</title>", "<li>checksum: stored &lt;0&gt;, computed &amp;1</li>",
                               "<span class=\"unit\">&lt;script&gt;</span>", "<a href=\"#e0\">a&amp;b</a>", "問題：&lt;i&gt;",
                               "<a href=\"#e0-answer\">(1) &lt;x&gt;</a>",
                               "the jump address 00000000 0005 lands on no answer page"})
    EXPECT_NE(page.find(expected), std::string::npos) << expected << "\n" << page;
  EXPECT_EQ(page.find("<script"), std::string::npos);
}

}  // namespace
}  // namespace dm::readback
