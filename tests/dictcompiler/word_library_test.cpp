#include "dictcompiler/word_library.h"

#include <gtest/gtest.h>

#include <sstream>

#include "fixtures.h"

namespace dm {
namespace {

struct WordList {
  std::string dat, sdx, cod;
  WordListSizes sizes;
};

WordList write(const std::vector<std::u16string>& words) {
  std::vector<std::u16string_view> views(words.begin(), words.end());
  std::ostringstream dat, sdx, cod;
  WordList w;
  w.sizes = writeWordList(views, 20, dat, sdx, cod);
  w.dat = dat.str();
  w.sdx = sdx.str();
  w.cod = cod.str();
  return w;
}

std::size_t digits(const std::string& line) {
  std::size_t n = 0;
  for (char c : line) n += c != ' ' && c != '\n';
  return n;
}

TEST(WordListTest, FrontCodingAndCharacterCodes) {
  const WordList w = write({u"abc", u"abd", u"x"});
  // Characters a, b, c, d, x occur once each: one-nibble codes 0-4.
  EXPECT_EQ(w.dat, "0 0 1 2 f\n2 3 f\n0 4 f\n");
  EXPECT_EQ(w.sdx, "000000\n");
  EXPECT_EQ(w.cod, "0061\n0062\n0063\n0064\n0078\n");
  EXPECT_EQ(w.sizes.datNibbles, 11u);
  EXPECT_EQ(w.sizes.sdxNibbles, 6u);
  EXPECT_EQ(w.sizes.codNibbles, 20u);
  EXPECT_EQ(w.sizes.longestWord, 3u);
  EXPECT_EQ(w.sizes.charLenDist, (CodeLengthDist{15, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(WordListTest, PrefixIsCappedAtFourteen) {
  const std::u16string stem(20, u'q');
  const WordList w = write({stem + u"a", stem + u"b"});
  EXPECT_EQ(w.dat.substr(w.dat.find('\n') + 1, 2), "e ");
}

TEST(WordListTest, EveryTwentiethWordStartsABlock) {
  std::vector<std::u16string> words;
  for (char16_t i = 0; i < 21; ++i) words.push_back(std::u16string(u"k") + static_cast<char16_t>(u'A' + i));
  const WordList w = write(words);
  std::istringstream lines(w.dat);
  std::string line;
  std::size_t offset = 0;
  std::vector<std::size_t> starts;
  std::vector<std::string> all;
  while (std::getline(lines, line)) {
    starts.push_back(offset);
    offset += digits(line);
    all.push_back(line);
  }
  ASSERT_EQ(all.size(), 21u);
  EXPECT_EQ(all[1].substr(0, 2), "1 ");
  EXPECT_EQ(all[20].substr(0, 2), "0 ");  // word 20: prefix 0
  char expect[32];
  std::snprintf(expect, sizeof expect, "000000\n%06zx\n", starts[20]);
  EXPECT_EQ(w.sdx, expect);
  EXPECT_EQ(w.sizes.datNibbles, offset);
  EXPECT_EQ(w.sizes.sdxNibbles, 12u);
}

TEST(WordListTest, NoWordsWriteEmptyFiles) {
  const WordList w = write({});
  EXPECT_EQ(w.dat, "");
  EXPECT_EQ(w.sdx, "");
  EXPECT_EQ(w.cod, "");
  EXPECT_EQ(w.sizes.charLenDist, (CodeLengthDist{15, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(StringOrderTest, UnitByUnitWithAPrefixFirst) {
  // Strings that share their first four units, are prefixes of each other,
  // hold U+0000 or units above U+7FFF, where a comparison of the first four
  // units alone would be wrong or undecided.
  const std::vector<std::u16string> strings{
      u"abcdz", u"abcda", u"abcd", u"abc", u"ab", u"", u"abc\0", u"abc\0\0", u"\xFFFF", u"\x8000" u"a",
      u"\x7FFF" u"b", u"a\xFFFF", u"a", u"abcd\xFFFF", u"abcd\0", u"b",
  };
  const std::vector<std::u16string_view> views(strings.begin(), strings.end());
  const std::vector<std::uint32_t> order = stringOrder(views);
  ASSERT_EQ(order.size(), strings.size());
  std::vector<std::u16string> sorted;
  for (std::uint32_t i : order) sorted.push_back(strings[i]);
  std::vector<std::u16string> expected = strings;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(sorted, expected);
  EXPECT_TRUE(stringOrder({}).empty());
}

// Libraries of very different sizes, generated side by side: the progress
// texts and the coded lines still come in library order.
TEST(GenerateWordLibsTest, LibrariesAreHandedOnInLibraryOrder) {
  test::CompileFolders f;
  test::RecordingSink sink;
  const CompileContext context = f.context(CompileKind::kEntries, &sink);
  CompileState s(context);
  s.dict.addTag("HW", u"HW", "a1");
  const char* names[] = {"a1", "a2", "a3"};
  const std::size_t sizes[] = {1, 400, 3};
  std::uint32_t lineNo = 0;
  for (int l = 0; l < 3; ++l) {
    WordLib lib;
    lib.name = names[l];
    for (std::size_t i = 0; i < sizes[l]; ++i)
      lib.lines.push_back(SplitLine{lineNo++, 0, u"w" + std::u16string(1 + i % 7, u'x') + u"\x10tail" +
                                                       std::u16string(l + 1, u'y')});
    s.libs.push_back(std::move(lib));
  }
  GenerateWordLibs(s);
  s.sinkLog->flush();

  std::vector<std::string> libsLogged;
  for (const std::string& line : sink.lines)
    if (line.find("gen word lib ") != std::string::npos) libsLogged.push_back(line.substr(line.find("lib ") + 4, 2));
  EXPECT_EQ(libsLogged, (std::vector<std::string>{"a1", "a2", "a3"}));
  ASSERT_EQ(s.dict.coded.size(), 404u);
  for (std::uint32_t i = 0; i < s.dict.coded.size(); ++i) EXPECT_EQ(s.dict.coded[i].lineNo, i);
  EXPECT_EQ(s.maxLineLength, 14u);  // "wxxxxxxx" and "tailyy" in a2
  EXPECT_EQ(s.maxWordLength, 8u);
  for (const char* name : names)
    EXPECT_TRUE(fs::exists(f.destin / "Dict" / (std::string("wdl_") + name + ".dat"))) << name;
}

}  // namespace
}  // namespace dm
