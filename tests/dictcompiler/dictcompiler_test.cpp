#include "dictcompiler/dictcompiler.h"

#include <gtest/gtest.h>

#include "dict_decoder.h"
#include "fixtures.h"
#include "platform/failure.h"

namespace dm {
namespace {

using test::DecodedLine;
using test::readFile;

// A drill of `n` questions in the final BlockText form, and the legend.
std::vector<std::string> drill(int n) {
  const char* capitals[] = {"Paris", "Berlin", "Rome", "Madrid", "Vienna", "Oslo", "Lisbon"};
  std::vector<std::string> lines;
  for (int i = 0; i < n; ++i) {
    const std::string jump = "\xEE\x81\x94";  // U+E054
    const std::string end = "\xEE\x81\x95";   // U+E055
    char address[16];
    std::snprintf(address, sizeof address, "%08x0001", i);
    lines.insert(lines.end(), {"START_BLOCK_Word\t", "HW\t問題：" + std::to_string(i + 1), "GEN_t\t00:30",
                               "DF_q\tWhich city is the capital of country number " + std::to_string(i % 7) + "?",
                               "DF_l\t", "START_BLOCK_GEN_EXT\t", "LST\t" + std::to_string(i % 3 + 1)});
    for (int c = 0; c < 3; ++c)
      lines.push_back("JUMP\t" + jump + "\xEE\x83\xBE\xEF\xA0\xA1\xEE\x83\xBF " + capitals[(i + c) % 7] + end + address);
    lines.insert(lines.end(), {"END_BLOCK_GEN_EXT\t", "DF_l_1\t", "START_BLOCK_Note\t", "DF_h\t問題：" + std::to_string(i + 1),
                               "DF_x\t正解：", "DF_a\t" + std::string(capitals[i % 7])});
    if (i % 2 == 0)
      lines.insert(lines.end(), {"DF_l\t", "DF_y\t解説：", "DF_c\tThe capital is the largest city.",
                                 "DF_c_c0\tSecond line of the comment."});
    lines.insert(lines.end(), {"END_BLOCK_Note\t", "END_BLOCK_Word\t", ""});
  }
  lines.insert(lines.end(), {"START_BLOCK_Word\t", "DF_m\tLegend text", "END_BLOCK_Word\t", ""});
  return lines;
}

std::vector<DecodedLine> sourceLines(const std::vector<std::string>& lines) {
  std::vector<DecodedLine> out;
  for (const std::string& l : lines) {
    if (l.empty()) continue;
    const std::size_t tab = l.find('\t');
    out.push_back({l.substr(0, tab), tab == std::string::npos ? "" : l.substr(tab + 1)});
  }
  return out;
}

std::size_t lineCount(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

class CompileDictionaryTest : public ::testing::Test {
 protected:
  test::CompileFolders f_;
  CompileContext entries_ = f_.context(CompileKind::kEntries);
};

TEST_F(CompileDictionaryTest, EntryCompileWritesEveryFileAndDecodesBack) {
  const std::vector<std::string> lines = drill(30);
  test::writeFile(f_.middata / "Source/Drill.cln", test::blockText(lines));
  entries_.tagList = test::census(lines);
  compileDictionary(entries_);

  const fs::path dict = f_.middata / "Dict";
  const fs::path out = f_.destin / "Dict";
  for (const char* lib : {"a1", "a2", "a3", "a4", "a5"}) {
    for (const char* ext : {".dat", ".sdx", ".cod"}) EXPECT_TRUE(fs::exists(out / (std::string("wdl_") + lib + ext)));
    EXPECT_TRUE(fs::exists(dict / (std::string("wdl_") + lib + ".spl")));
  }
  for (const char* name : {"Drill.dic", "entry_add.dat", "entry_add.seg", "entry_add.off", "dict.h", "Drill_tag.h",
                           "tag_rule.lst"})
    EXPECT_TRUE(fs::exists(out / name)) << name;
  for (const char* name : {"Drill.add", "Drill.aaa", "Drill_rul.c", "dict_type.h", "Dict_Drill.inf", "tag.err"})
    EXPECT_TRUE(fs::exists(dict / name)) << name;
  // The intermediate files are gone from Trash.
  EXPECT_TRUE(fs::is_empty(f_.trash));

  EXPECT_EQ(readFile(dict / "tag.err"), "");
  EXPECT_EQ(readFile(dict / "dict_type.h"),
            "#ifndef _DICT_TYPE_H_\n#define _DICT_TYPE_H_\n\n#define\tDICT_TYPE_DRILL\t\t0x00\n\n#endif\n");
  const std::string rules = readFile(out / "tag_rule.lst");
  EXPECT_EQ(rules.substr(0, rules.find('\n') + 1), "//tag_code,  tag_attr,  newline Indent,  chang line Indent \n");
  EXPECT_NE(rules.find("0101\t00000001\t00\t00\t//START_BLOCK_Word\n"), std::string::npos);
  EXPECT_NE(rules.find("0000\t00002001\t00\t03\t//JUMP\n"), std::string::npos);
  EXPECT_EQ(lineCount(rules), 1 + entries_.tagList.size());
  const std::string header = readFile(out / "dict.h");
  const std::string top = "#ifndef _DICT_H_\n#define _DICT_H_\n\n#define WORDLIB_BLOCKRECORD 20\n";
  EXPECT_EQ(header.substr(0, top.size()), top);
  EXPECT_NE(header.find("ROMTYPE BYTE DRILLWdBaseNo[] =\n{\t/* the whole tag of Drill_dic*/\n"), std::string::npos);
  const std::string report = readFile(dict / "Dict_Drill.inf");
  EXPECT_EQ(report.substr(0, 17), "     dict space:\n");

  // One entry per question and the legend.
  const std::string add = readFile(dict / "Drill.add");
  EXPECT_EQ(lineCount(add), 31u);
  EXPECT_EQ(add.substr(0, 18), "00000000\t00000000\n");
  EXPECT_EQ(lineCount(readFile(out / "entry_add.dat")), 31u);
  const std::string seg = readFile(out / "entry_add.seg");
  EXPECT_EQ(seg.substr(0, 2), "40");
  EXPECT_EQ(lineCount(seg), 2u);
  EXPECT_EQ(lineCount(readFile(dict / "Drill.aaa")), sourceLines(lines).size());

  test::DictDecoder decoder(out, "Drill");
  EXPECT_EQ(decoder.decode(), sourceLines(lines));
}

TEST_F(CompileDictionaryTest, SingleTokenDrill) {
  const std::vector<std::string> lines{"START_BLOCK_Word\t", "END_BLOCK_Word\t", ""};
  test::writeFile(f_.middata / "Source/Drill.cln", test::blockText(lines));
  entries_.tagList = test::census(lines);
  compileDictionary(entries_);
  // Libraries without lines: empty files and the distribution 15, 0, ...
  EXPECT_EQ(readFile(f_.destin / "Dict/wdl_a1.dat"), "");
  EXPECT_EQ(readFile(f_.destin / "Dict/wdl_a1.sdx"), "");
  EXPECT_EQ(readFile(f_.destin / "Dict/wdl_a1.cod"), "");
  const std::string header = readFile(f_.destin / "Dict/dict.h");
  EXPECT_NE(header.find("  {0x0f,0x0f,0x0f,0x0f,0x0f,0x0f}, \t//WDL_a1.DAT\n"), std::string::npos);
  EXPECT_NE(header.find("  { 0x0L, 0x0L, 0x0L, 0x0L, 0x0L, 0x0L},\t//WDL_a1.DAT\n"), std::string::npos);
  EXPECT_EQ(readFile(f_.destin / "Dict/Drill.dic"), "01FF F\nF\nF\n");
  test::DictDecoder decoder(f_.destin / "Dict", "Drill");
  EXPECT_EQ(decoder.decode(), sourceLines(lines));
}

TEST_F(CompileDictionaryTest, MenuCompileUsesTheMenuFolders) {
  const std::vector<std::string> lines{"LV01\t", "LV02\tCategory one", "LV03\tQuestion about Paris",
                                       "LV03\tQuestion about Rome", "LV02\t凡例", "LV02\tCategory two",
                                       "LV03\tQuestion about Oslo"};
  test::writeFile(f_.middata / "Menu/menu.lst", test::blockText(lines));
  CompileContext menu = f_.context(CompileKind::kMenu);
  menu.menuDepth = 2;
  compileDictionary(menu);
  const fs::path dict = f_.middata / "Menu";
  const fs::path out = f_.destin / "Menu";
  for (const char* name : {"menu_item.dic", "menu_item.add", "menu_item.seg", "menu_item.off", "dict.h", "menu_tag.h",
                           "wdl_m1.dat", "wdl_m1.sdx", "wdl_m1.cod"})
    EXPECT_TRUE(fs::exists(out / name)) << name;
  for (const char* name : {"menu_item.add", "menu_item.aaa", "menu_rul.c", "dict_type.h", "Menu_Lst.inf", "tag.err"})
    EXPECT_TRUE(fs::exists(dict / name)) << name;
  EXPECT_FALSE(fs::exists(out / "tag_rule.lst"));
  EXPECT_EQ(lineCount(readFile(out / "menu_item.add")), lines.size());
  EXPECT_EQ(readFile(dict / "dict_type.h"),
            "#ifndef _DICT_TYPE_H_\n#define _DICT_TYPE_H_\n\n#define\tDICT_TYPE_MENU_ITEM\t\t0x00\n\n#endif\n");
  EXPECT_NE(readFile(out / "menu_tag.h").find("#define MENU_ITEM_TAG_LV03  0\n"), std::string::npos);
  test::DictDecoder decoder(out, "menu_item");
  EXPECT_EQ(decoder.decode(), sourceLines(lines));
}

TEST_F(CompileDictionaryTest, MissingSourceIsAPassFailure) {
  entries_.tagList = {u"START_BLOCK_Word"};
  EXPECT_THROW(compileDictionary(entries_), PassFailure);
}

TEST_F(CompileDictionaryTest, ManyDistinctTokensDecodeBack) {
  // Thousands of distinct words: codes of two and three nibbles.
  std::vector<std::string> lines;
  std::uint32_t seed = 1;
  auto next = [&] { return seed = seed * 1103515245u + 12345u; };
  for (int i = 0; i < 400; ++i) {
    std::string q;
    for (int w = 0; w < 12; ++w) {
      const std::uint32_t word = next() >> 20;  // one of 4096 words
      for (int k = 0; k < 3 + static_cast<int>(word % 3); ++k) q += static_cast<char>('a' + (word >> (2 * k)) % 26);
      q += ' ';
    }
    lines.insert(lines.end(), {"START_BLOCK_Word\t", "DF_q\t" + q, "DF_a\t" + q.substr(0, 20), "END_BLOCK_Word\t", ""});
  }
  test::writeFile(f_.middata / "Source/Drill.cln", test::blockText(lines));
  entries_.tagList = test::census(lines);
  compileDictionary(entries_);
  test::DictDecoder decoder(f_.destin / "Dict", "Drill");
  EXPECT_EQ(decoder.decode(), sourceLines(lines));
  // Library a5 (the questions) needs codes of more than one nibble.
  const std::string header = readFile(f_.destin / "Dict/dict.h");
  const std::size_t row = header.rfind("  {", header.find("}, \t//WDL_a5.DAT"));
  EXPECT_NE(header.substr(row, 8), "  {0x0f,");
}

TEST_F(CompileDictionaryTest, WriterTypeAndEntryNumberWidthComeFromTheContext) {
  const std::vector<std::string> lines{"START_BLOCK_Word\t", "END_BLOCK_Word\t", "", "START_BLOCK_Word\t", ""};
  test::writeFile(f_.middata / "Source/Drill.cln", test::blockText(lines));
  entries_.tagList = test::census(lines);
  entries_.romWriterType = 0;
  entries_.entryNumberWidth = 4;
  compileDictionary(entries_);
  EXPECT_EQ(readFile(f_.destin / "Dict/entry_add.dat"), "0000\n0007\n");
  EXPECT_FALSE(fs::exists(f_.destin / "Dict/entry_add.seg"));
  EXPECT_FALSE(fs::exists(f_.destin / "Dict/entry_add.off"));
}

// Sources that no conversion writes still compile without fault.
struct MalformedSource {
  const char* name;
  std::string bytes;
};

class MalformedSourceTest : public ::testing::TestWithParam<MalformedSource> {};

TEST_P(MalformedSourceTest, CompilesWithoutFault) {
  test::CompileFolders f;
  CompileContext ctx = f.context(CompileKind::kEntries);
  test::writeFile(f.middata / "Source/Drill.cln", GetParam().bytes);
  ctx.tagList = {u"DF_q", u"END_BLOCK_Word", u"START_BLOCK_Word"};
  EXPECT_NO_THROW(compileDictionary(ctx));
  EXPECT_TRUE(fs::exists(f.destin / "Dict/Drill.dic"));
  EXPECT_TRUE(fs::exists(f.destin / "Dict/entry_add.seg"));
}

std::string randomBytes(std::size_t n) {
  std::string s;
  std::uint32_t x = 7;
  for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char>((x = x * 1664525u + 1013904223u) >> 24));
  return s;
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, MalformedSourceTest,
    ::testing::Values(
        MalformedSource{"Empty", ""}, MalformedSource{"MarkOnly", "\xFF\xFE"},
        MalformedSource{"OddByteCount", test::blockText({"START_BLOCK_Word\t", "DF_q\tx"}) + "D"},
        MalformedSource{"NoMark", test::utf16le("START_BLOCK_Word\t\r\nDF_q\tabc\r\n")},
        MalformedSource{"NoFinalLineEnd", test::blockText({"START_BLOCK_Word\t"}) + test::utf16le("DF_q\tlast")},
        MalformedSource{"LoneCrAndControls",
                        test::blockText({"START_BLOCK_Word\t", std::string("DF_q\ta\rb\x10" "c\x01") + '\0' + "d",
                                         "\tno tag", "DF_q", "END_BLOCK_Word\t"})},
        MalformedSource{"TextBeforeTheFirstEntry", test::blockText({"DF_q\tstray", "START_BLOCK_Word\t", "DF_q\tq"})},
        MalformedSource{"NoEntryStart", test::blockText({"DF_q\tonly", "DF_q\tlines"})},
        MalformedSource{"VeryLongLine", test::blockText({"START_BLOCK_Word\t", "DF_q\t" + std::string(120000, 'q')})},
        MalformedSource{"RepeatedRun", test::blockText({"START_BLOCK_Word\t", "DF_q\t" + std::string(3000, 'a'),
                                                        "DF_q\t" + std::string(3000, 'a')})},
        MalformedSource{"RandomBytes", "\xFF\xFE" + randomBytes(20000)}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(MenuDepthTest, ReportedDepthOrTheDeepestListedLevel) {
  const std::string list = test::blockText({"LV01\t", "LV02\ta", "LV03\tb", "LV05\tc"});
  EXPECT_EQ(menuDepthFor(3, list), 3);
  EXPECT_EQ(menuDepthFor(0, list), 4);
  EXPECT_EQ(menuDepthFor(0, test::blockText({"LV01\t", "LV02\ta"})), 2);
  EXPECT_EQ(menuDepthFor(7, ""), 2);
}

}  // namespace
}  // namespace dm
