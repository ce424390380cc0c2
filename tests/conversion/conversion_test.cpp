#include "conversion/conversion.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "conversion/field_pass.h"
#include "conversion/media_fixture.h"
#include "conversion/notation.h"
#include "platform/failure.h"

namespace dm {
namespace {

namespace fs = std::filesystem;
namespace wf = workfiles;
using test::readFile;
using test::wideLines;

class ConvertDrill : public ::testing::Test, public test::MediaFixture {
 protected:
  ConvertDrill() {
    picture("pic.bmp", {1, 1, 10});
    list("s.mp3", "sound");
  }
  void writeSource(const std::vector<std::string>& lines) {
    test::writeFile(wf::checkedSourcePath(state.paths), test::wideFile(lines));
  }
  std::vector<std::string> stage(const char* name) { return wideLines(readFile(state.paths.trash / name)); }
  static bool has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), test::show(test::codes(line))) != lines.end();
  }
  static bool anyStartsWith(const std::vector<std::string>& lines, const std::string& prefix) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }
};

TEST_F(ConvertDrill, SmallDrillEndToEnd) {
  writeSource({
      "Drill\t使い方<N>です\t\tドリル\t\t",
      "分類1\t分類2\t分類3\t番号\t問題\t正解\t解説\t時間\t選択肢1",
      "国語\t漢字\t読み\t1\t<B>山</B>の読みは？\t2\t山は<TC color=\"Red\">やま</TC>\t0:30\tさん\tやま\tせん",
      "",
      "国語\t漢字\t読み\t2\t<P>pic.bmp</P><N><N>この字は？\t10\t\t\tc1\tc2\tc3\tc4\tc5\tc6\tc7\tc8\tc9\t"
      "c10<N>続き",
      "算数\t\t\t\t<V>s.mp3</V>\t1\t\t\tはい\tいいえ",
  });
  convertDrill(state.context(), converter());

  std::vector<std::string> expected = {"<mark>",
                                       // entry 0
                                       "START_BLOCK_Word\t", "HW\t問題：1", "GEN_t\t00:30", "DF_q\t[B]山[/B]の読みは？",
                                       "DF_l\t", "START_BLOCK_GEN_EXT\t", "LST\t2",
                                       "JUMP\t[J][F:f821] さん[/J]00000000000e",
                                       "JUMP\t[J][F:f822] やま[/J]00000000000e",
                                       "JUMP\t[J][F:f823] せん[/J]00000000000e", "END_BLOCK_GEN_EXT\t", "DF_l_1\t",
                                       "START_BLOCK_Note\t", "DF_h\t問題：1", "DF_x\t正解：", "DF_a\t[F:f822] やま",
                                       "DF_l\t", "DF_y\t解説：", "DF_c\t山は[TC]Tred#やま[/TC]", "END_BLOCK_Note\t",
                                       "END_BLOCK_Word\t", "",
                                       // entry 1
                                       "START_BLOCK_Word\t", "HW\t問題：2", "GEN_t\t", "BMP\t[P]0015[/P]",
                                       "DF_q_c0\tこの字は？", "DF_l\t", "START_BLOCK_GEN_EXT\t", "LST\t0"};
  for (int k = 1; k <= 9; ++k) {
    expected.push_back("JUMP\t[J][F:f82" + std::to_string(k) + "] c" + std::to_string(k) + "[/J]000000010017");
  }
  for (const char* l :
       {"JUMP\t[J][F:f820] c10[/J]000000010017", "JUMP_c0\t続き", "END_BLOCK_GEN_EXT\t", "DF_l_1\t",
        "START_BLOCK_Note\t", "DF_h\t問題：2", "DF_x\t正解：", "DF_a\t[F:f820] c10", "DF_a_c0\t続き",
        "END_BLOCK_Note\t", "END_BLOCK_Word\t", "",
        // entry 2
        "START_BLOCK_Word\t", "HW\t問題：", "GEN_t\t", "DF_q\t[V]00000000[F:f9dd][/V]", "DF_l\t",
        "START_BLOCK_GEN_EXT\t", "LST\t1", "JUMP\t[J][F:f821] はい[/J]00000002000d",
        "JUMP\t[J][F:f822] いいえ[/J]00000002000d", "END_BLOCK_GEN_EXT\t", "DF_l_1\t", "START_BLOCK_Note\t",
        "DF_h\t問題：", "DF_x\t正解：", "DF_a\t[F:f821] はい", "END_BLOCK_Note\t", "END_BLOCK_Word\t", "",
        // the legend
        "START_BLOCK_Word\t", "DF_m\t使い方", "DF_m_c0\tです", "END_BLOCK_Word\t", ""}) {
    expected.push_back(l);
  }
  for (std::string& l : expected) l = test::show(test::codes(l));
  EXPECT_EQ(wideLines(readFile(wf::compilerInputPath(state.paths))), expected);

  EXPECT_EQ(readFile(wf::menuFolderPath(state.paths) / wf::kMenuIndex),
            "LV01\t1\t00000003\t00000001\r\n"
            "LV02\t1\t00000001\t00000004\r\n"
            "LV02\t1\t00000002\t00000005\r\n"
            "LV02\t0\t00000003\tFFFFFFFF\r\n"
            "LV03\t1\t00000002\t00000007\r\n"
            "LV03\t3\t00000001\t00000009\r\n"
            "LV03\t5\tffffffff\tFFFFFFFF\r\n"
            "LV04\t3\t00000002\t0000000a\r\n"
            "LV04\t5\tffffffff\tFFFFFFFF\r\n"
            "LV04\t0\t00000002\tFFFFFFFF\r\n"
            "LV05\t0\t00000000\tFFFFFFFF\r\n"
            "LV05\t0\t00000001\tFFFFFFFF\r\n");
  EXPECT_EQ(wideLines(readFile(wf::menuListPath(state.paths))),
            (std::vector<std::string>{"<mark>", "LV01\t", "LV02\t国語", "LV02\t算数", "LV02\t凡例", "LV03\t漢字",
                                      "LV03\t(分類なし)", "LV03\tテスト記録の全消去", "LV04\t読み",
                                      "LV04\tテスト記録の全消去", "LV04\t(音)", "LV05\t山の読みは？",
                                      "LV05\tこの字は？"}));
  EXPECT_TRUE(has(wideLines(readFile(wf::menuFolderPath(state.paths) / wf::kMenuPre1)), "LV05\t<B>山</B>の読みは？"));
  EXPECT_TRUE(has(wideLines(readFile(wf::menuFolderPath(state.paths) / wf::kMenuPre2)), "LV05\t[B]山[/B]の読みは？"));

  // Every stage file of the chain is there with its own changes.
  std::vector<std::string> tm1 = stage(wf::kStage1);
  EXPECT_EQ(tm1.front(), "<mark>");
  EXPECT_TRUE(has(tm1, "DF_q\t<P>pic.bmp</P><N><N>この字は？"));
  EXPECT_TRUE(has(tm1, "SPEC\t凡例"));
  EXPECT_TRUE(has(tm1, "CTG2\t(分類なし)"));
  std::vector<std::string> tm2 = stage(wf::kStage2);
  EXPECT_TRUE(has(tm2, "BMP\t[P]0015[/P]"));
  EXPECT_TRUE(has(tm2, "JUMP\t[J][F:f820] c10[/J]a"));
  EXPECT_TRUE(has(tm2, "JUMP_c0\t続き"));
  std::vector<std::string> cln1 = stage(wf::kClean1);
  EXPECT_FALSE(anyStartsWith(cln1, "CTG"));
  EXPECT_FALSE(anyStartsWith(cln1, "SPEC"));
  EXPECT_TRUE(has(cln1, "DF_c\t山は<TC color=\"Red\">やま</TC>"));
  EXPECT_TRUE(has(stage(wf::kClean2), "DF_c\t山は[TC]Tred#やま[/TC]"));
  std::vector<std::string> cln6 = stage(wf::kClean6);
  EXPECT_TRUE(has(cln6, "ID\ta"));
  EXPECT_TRUE(has(cln6, "JUMP\t[J][F:f820] c10[/J]a"));
  std::vector<std::string> cln7 = stage(wf::kClean7);
  EXPECT_FALSE(anyStartsWith(cln7, "ID\t"));
  EXPECT_TRUE(has(cln7, "JUMP\t[J][F:f820] c10[/J]000000010017"));
  EXPECT_EQ(stage(wf::kMenuSource),
            (std::vector<std::string>{"<mark>", "国語\t漢字\t読み\t<B>山</B>の読みは？\t00000000",
                                      "国語\t漢字\t読み\tこの字は？\t00000001",
                                      "算数\t(分類なし)\t(分類なし)\t(音)\t00000002"}));
  EXPECT_EQ(stage(wf::kMenuSorted).size(), 4u);
  EXPECT_EQ(stage(wf::kMenuReport).size(), 12u);

  EXPECT_EQ(state.options.bitmapPhase, 1);
  EXPECT_EQ(state.options.soundPhase, 1);
  EXPECT_EQ(state.options.menuPhase, 1);
  EXPECT_EQ(state.conversion.menuDepth, 4);
  EXPECT_EQ(state.conversion.media.monochromeList,
            (std::vector<std::u16string>{u"0014default.bmp", u"0015pic.bmp"}));
  EXPECT_EQ(state.conversion.media.soundList, std::vector<std::u16string>{u"00000000s.mp3"});
  EXPECT_EQ(std::u16string(state.conversion.menuLocation.data(), 3), u"ドリル");
}

TEST_F(ConvertDrill, NoMediaNoLegend) {
  writeSource({"x\t\t\t\t\t", "heading", "A\t\t\t1\tQ\t1\t\t\tyes"});
  convertDrill(state.context(), converter());
  EXPECT_EQ(state.options.bitmapPhase, 0);
  EXPECT_EQ(state.options.soundPhase, 0);
  EXPECT_EQ(state.options.menuPhase, 1);
  EXPECT_EQ(state.conversion.menuDepth, 2);  // a flat menu
  EXPECT_EQ(readFile(wf::menuFolderPath(state.paths) / wf::kMenuIndex),
            "LV01\t1\t00000002\t00000001\r\n"
            "LV02\t3\t00000001\t00000003\r\n"
            "LV02\t5\tffffffff\tFFFFFFFF\r\n"
            "LV03\t0\t00000000\tFFFFFFFF\r\n");
  std::vector<std::string> cln = wideLines(readFile(wf::compilerInputPath(state.paths)));
  EXPECT_EQ(cln.back(), "");
  EXPECT_EQ(cln[cln.size() - 2], "END_BLOCK_Word\t");
  EXPECT_EQ(std::count(cln.begin(), cln.end(), "START_BLOCK_Word\t"), 1);
}

TEST_F(ConvertDrill, CoverPictureIsRegisteredFirst) {
  picture("cover.bmp", {1, 4, 10});
  writeSource({"x\t\t\t\t\tcover.bmp", "heading", "A\t\t\t1\t<P>pic.bmp</P>\t1\t\t\tyes"});
  convertDrill(state.context(), converter());
  EXPECT_EQ(state.conversion.coverPicture, u"cover.bmp");
  EXPECT_EQ(state.conversion.media.monochromeList,
            (std::vector<std::u16string>{u"0014default.bmp", u"0015cover.bmp", u"0016pic.bmp"}));
}

TEST_F(ConvertDrill, OnlyHeaderLines) {
  writeSource({"x"});
  convertDrill(state.context(), converter());
  EXPECT_EQ(state.options.menuPhase, 0);
  EXPECT_EQ(wideLines(readFile(wf::compilerInputPath(state.paths))), std::vector<std::string>{"<mark>"});
}

// A 1-bit 8x8 BMP, as a drawing program writes it.
std::string monochromeBmp() {
  std::string b;
  auto u16 = [&](unsigned v) {
    b.push_back(static_cast<char>(v & 0xFF));
    b.push_back(static_cast<char>(v >> 8));
  };
  auto u32 = [&](unsigned v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  };
  const unsigned rowBytes = 4, pixels = 14 + 40 + 8;
  b += "BM";
  u32(pixels + rowBytes * 8);
  u32(0);
  u32(pixels);
  u32(40);
  u32(8);
  u32(8);
  u16(1);
  u16(1);
  u32(0);
  u32(rowBytes * 8);
  u32(2835);
  u32(2835);
  u32(2);
  u32(2);
  u32(0x00000000);
  u32(0x00FFFFFF);
  for (int row = 0; row < 8; ++row) u32(row % 2 ? 0xAAu : 0x55u);
  return b;
}

TEST_F(ConvertDrill, ReportsEachPassAsProgress) {
  writeSource({"x\t\t\t\t\t", "heading", "A\t\t\t1\tq\t1\t\t\tyes"});
  convertDrill(state.context(), converter());
  const std::vector<std::pair<std::uint64_t, std::uint64_t>> steps = {{1, 8}, {2, 8}, {3, 8}, {4, 8},
                                                                      {5, 8}, {6, 8}, {7, 8}, {8, 8}};
  EXPECT_EQ(state.sink.steps, steps);
}

TEST_F(ConvertDrill, WithThePictureLibrary) {
  list("mono.bmp", monochromeBmp());
  writeSource({"x\t\t\t\t\t", "heading", "A\t\t\t1\t<P>mono.bmp</P>\t1\t\t\tyes"});
  convertDrill(state.context());
  EXPECT_EQ(state.conversion.media.monochromeList,
            (std::vector<std::u16string>{u"0014default.bmp", u"0015mono.bmp"}));
  EXPECT_TRUE(fs::exists(wf::convertedPictureFolderPath(state.paths) / "mono.bmp"));
  EXPECT_TRUE(has(wideLines(readFile(wf::compilerInputPath(state.paths))), "BMP\t[P]0015[/P]"));
}

TEST_F(ConvertDrill, MissingSourceFailsThePass) {
  EXPECT_THROW(convertDrill(state.context(), converter()), PassFailure);
}

// The records are written to Drill.tm1 and put through the field pass in the
// same sweep: Drill.tm2 holds what the field pass makes of Drill.tm1 read
// back line by line.
TEST_F(ConvertDrill, TheFieldStageIsTheFieldPassOfTheRecordStage) {
  picture("b.bmp", {1, 1, 10});
  const std::string longCell(3900, 'w');
  writeSource({
      "Drill\t使い方<N><P>b.bmp</P>です\t\tドリル\t\t",
      "heading",
      "国語\t漢字\t読み\t1\t<P>pic.bmp</P><N><N>この字は？\t2\t解説<N>続き\t0:30\tさん<N>二行\t<P>b.bmp</P>",
      "\t\t\t2\t<V>s.mp3</V>" + longCell + "<N>x\t1\t" + longCell + "\t\tはい\tいいえ",
      "算数\t\t\t3\t問\r\t1\t\t\ta",
  });
  convertDrill(state.context(), converter());
  const std::string fielded = readFile(state.paths.trash / wf::kStage2);
  const std::vector<std::u16string> registeredPictures = state.conversion.media.monochromeList;
  const std::vector<std::u16string> registeredSounds = state.conversion.media.soundList;

  resetConversion(state.conversion);
  const fs::path again = state.paths.trash / "again.tm2";
  fieldPass(state.paths.trash / wf::kStage1, again, state.context(), converter());
  EXPECT_EQ(readFile(again), fielded);
  EXPECT_EQ(state.conversion.media.monochromeList, registeredPictures);
  EXPECT_EQ(state.conversion.media.soundList, registeredSounds);
  EXPECT_TRUE(has(stage(wf::kStage2), "DF_m_c0\tです"));
}

// A picture conversion that fails in the field pass ends the conversion, but
// only after Drill.tm1 is written whole; Drill.tm2 holds the lines before it.
TEST_F(ConvertDrill, AFailingFieldPassLeavesTheWholeRecordStage) {
  writeSource({"x\t\t\t\t\t", "heading", "A\t\t\t1\tq\t1\t\t\tyes", "B\t\t\t2\t<P>pic.bmp</P>\t1\t\t\tno",
               "C\t\t\t3\tlast\t1\t\t\tyes"});
  convertDrill(state.context(), converter());
  const std::string records = readFile(state.paths.trash / wf::kStage1);
  const std::vector<std::string> fielded = stage(wf::kStage2);

  resetConversion(state.conversion);
  PictureConverter failing = [](const fs::path&, const fs::path&, std::int32_t, std::int32_t, PictureInfo&) -> int {
    throw PassFailure("the picture cannot be converted");
  };
  EXPECT_THROW(convertDrill(state.context(), failing), PassFailure);
  EXPECT_EQ(readFile(state.paths.trash / wf::kStage1), records);
  const std::vector<std::string> before = stage(wf::kStage2);
  const auto picture = std::find(fielded.begin(), fielded.end(), test::show(test::codes("BMP\t[P]0015[/P]")));
  ASSERT_NE(picture, fielded.end());
  EXPECT_EQ(before, std::vector<std::string>(fielded.begin(), picture));
  EXPECT_TRUE(has(before, "DF_q\tq"));
}

TEST(ResetConversion, KeepsTheOtherPictureCounter) {
  test::ConversionParts state;
  state.conversion.nextOtherPicture = 7;
  state.conversion.media.soundList.push_back(u"x");
  state.conversion.keywords.push_back(u"k");
  state.conversion.menuDepth = 3;
  resetConversion(state.conversion);
  EXPECT_EQ(state.conversion.nextOtherPicture, 7u);
  EXPECT_TRUE(state.conversion.media.soundList.empty());
  EXPECT_TRUE(state.conversion.keywords.empty());
  EXPECT_EQ(state.conversion.menuDepth, 0);
}


// Drills of random markup fragments, device codes and long runs: every pass
// must get through them and every stage must stay well-formed.
TEST_F(ConvertDrill, RandomDrillsGetThrough) {
  const std::vector<std::string> fragments = {
      "<N>", "<P>", "</P>", "pic.bmp", "<V>", "</V>", "s.mp3", "<B>", "</B>", "<I>", "</I>", "<L>", "</L>",
      "<GB>", "</GB>", "<TC color=\"", "red", "\">", "</TC>", "。", "，", " ", "　", "x", "1", ":", "[J]", "[/J]",
      "[V]", "[/V]", "[F:f821]", "[L]", "[/L]", "[B]", "'", "・", "<Q>", "<", ">", std::string(300, 'w'),
      std::string(120, ' '), "(分類なし)", "凡例"};
  std::uint32_t seed = 12345;
  auto next = [&](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % n;
  };
  for (int drill = 0; drill < 30; ++drill) {
    std::vector<std::string> lines = {"s\t" + fragments[next(static_cast<std::uint32_t>(fragments.size()))] +
                                          "\t\tx\t\tpic.bmp",
                                      "h"};
    int records = 1 + static_cast<int>(next(8));
    for (int r = 0; r < records; ++r) {
      std::string line;
      int fields = 1 + static_cast<int>(next(20));
      for (int f = 0; f < fields; ++f) {
        if (f) line += '\t';
        if (f == 5) {
          line += std::to_string(next(12));
          continue;
        }
        int pieces = static_cast<int>(next(f == 4 ? 12 : 4));
        for (int k = 0; k < pieces; ++k) line += fragments[next(static_cast<std::uint32_t>(fragments.size()))];
      }
      lines.push_back(line);
    }
    writeSource(lines);
    resetConversion(state.conversion);
    ASSERT_NO_THROW(convertDrill(state.context(), converter())) << drill;
    std::vector<std::string> cln = wideLines(readFile(wf::compilerInputPath(state.paths)));
    ASSERT_FALSE(cln.empty());
    EXPECT_EQ(cln.front(), "<mark>");
    for (std::size_t i = 1; i < cln.size(); ++i) {
      EXPECT_EQ(cln[i].find("<no CR LF>"), std::string::npos) << drill;
      EXPECT_EQ(cln[i].rfind("ID\t", 0), std::string::npos) << drill;
    }
  }
}

}  // namespace
}  // namespace dm
