#include "dictcompiler/header_writers.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(HeaderRowsTest, WorkedDistribution) {
  const CodeLengthDist dist{5, 3, 7, 0, 0, 0, 0, 0};
  EXPECT_EQ(firstNibbleRow(dist, 6), "0x05,0x08,0x0f,0x0f,0x0f,0x0f");
  EXPECT_EQ(offsetRow(dist, 6, "L"), "0x0L, 0x4bL, 0x7cbL, 0x7cbL, 0x7cbL, 0x7cbL");
}

TEST(HeaderRowsTest, EmptyLibraryDistribution) {
  const CodeLengthDist dist{15, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(firstNibbleRow(dist, 4), "0x0f,0x0f,0x0f,0x0f");
  EXPECT_EQ(offsetRow(dist, 4, ""), "0x0, 0x0, 0x0, 0x0");
}

TEST(HeaderRowsTest, FourLengths) {
  // 14, 0, 0, 1: offsets 0, 14x16-14, 14x256-14, 14x4096-14.
  const CodeLengthDist dist{14, 0, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(firstNibbleRow(dist, 6), "0x0e,0x0e,0x0e,0x0f,0x0f,0x0f");
  EXPECT_EQ(offsetRow(dist, 6, "L"), "0x0L, 0xd2L, 0xdf2L, 0xdff2L, 0xdff2L, 0xdff2L");
}

class HeaderWritersTest : public ::testing::Test {
 protected:
  HeaderWritersTest() : s_(ctx_) {
    ctx_.internalName = "Drill";
    ctx_.tagList = {u"DF_a", u"DF_a_s00", u"HW", u"START_BLOCK_Word", u"ZZ"};
    WordLib a1;
    a1.name = "a1";
    a1.wordLenDist = {5, 3, 7, 0, 0, 0, 0, 0};
    a1.charLenDist = {15, 0, 0, 0, 0, 0, 0, 0};
    a1.textNibbles = 9;
    a1.datNibbles = 20;
    a1.sdxNibbles = 6;
    a1.codNibbles = 12;
    WordLib a2;
    a2.name = "a2";
    a2.wordLenDist = {15, 0, 0, 0, 0, 0, 0, 0};
    a2.charLenDist = {14, 1, 0, 0, 0, 0, 0, 0};
    s_.libs = {a1, a2};
    s_.dict.name = "Drill";
    s_.dict.codedPath = "Drill.dic";
    s_.dict.nibbleCount = 101;
    s_.dict.addTag("START_BLOCK_Word", u"START_BLOCK_Word", "a2");
    s_.dict.addTag("DF_a", u"DF_a", "a1");
    s_.dict.addTag("DF_a_s00", u"DF_a_s00", "a1");
    s_.dict.addTag("HW", u"HW", "a2");
    s_.dict.addTag("GEN_t", u"GEN_t", "zz");
    set("START_BLOCK_Word", "1");
    set("DF_a", "0");
    set("DF_a_s00", "2");
    set("GEN_t", "3");
    s_.maxLineLength = 12;
    s_.maxWordLength = 5;
  }
  void set(const char* tag, const char* code) { s_.dict.tags[s_.dict.findTag(tag)].code = code; }

  CompileContext ctx_;
  CompileState s_;
};

TEST_F(HeaderWritersTest, DictHeader) {
  EXPECT_EQ(dictHeaderText(s_),
            "#ifndef _DICT_H_\n#define _DICT_H_\n\n"
            "#define WORDLIB_BLOCKRECORD 20\n\n"
            "#define  LINE_LENGTH (12+2)\n\n"
            "#define  WORD_LENGTH (5+2)\n\n"
            "ROMTYPE BYTE DRILLWdBaseNo[] =\n{\t/* the whole tag of Drill_dic*/\n"
            "  1,\t//DF_a\tWDL_a1.dat\t0\n"
            "  2,\t//START_BLOCK_Word\tWDL_a2.dat\t1\n"
            "  1,\t//DF_a_s00\tWDL_a1.dat\t2\n"
            "  -1,\t//GEN_t\tWDL_zz.dat\t3\n"
            "};\n\n"
            "ROMTYPE BYTE\tDICT_WDNO[][6] =\n{\n"
            "  {0x05,0x08,0x0f,0x0f,0x0f,0x0f}, \t//WDL_a1.DAT\n"
            "  {0x0f,0x0f,0x0f,0x0f,0x0f,0x0f}, \t//WDL_a2.DAT\n"
            "};\n\n"
            "ROMTYPE unsigned int32 WDL_SHORT_LONG_OFFSET[][6] =\n{\n"
            "  { 0x0L, 0x4bL, 0x7cbL, 0x7cbL, 0x7cbL, 0x7cbL},\t//WDL_a1.DAT\n"
            "  { 0x0L, 0x0L, 0x0L, 0x0L, 0x0L, 0x0L},\t//WDL_a2.DAT\n"
            "};\n\n"
            "ROMTYPE BYTE\tDICT_DSP[][4] =\n{\n"
            "  {0x0f,0x0f,0x0f,0x0f}, \t//WDL_a1.cod\n"
            "  {0x0e,0x0f,0x0f,0x0f}, \t//WDL_a2.cod\n"
            "};\n\n"
            "ROMTYPE unsigned int16 DICT_DSP_OFF[][4] =\n{\n"
            "  { 0x0, 0x0, 0x0, 0x0},\t//WDL_a1.cod\n"
            "  { 0x0, 0xd2, 0xd2, 0xd2},\t//WDL_a2.cod\n"
            "};\n\n"
            "ROMTYPE unsigned int32\tDictCodeAddr[] =\n{\n\t_WDL_a1_COD,\n\t_WDL_a2_COD,\n};\n\n"
            "ROMTYPE unsigned int32   DictWdNoAddr[] =\n{\n\t_WDL_a1_DAT,\n\t_WDL_a2_DAT,\n};\n\n"
            "ROMTYPE unsigned int32\tDictWdNoIdxAddr[] =\n{\n\t_WDL_a1_IDX,\n\t_WDL_a2_IDX,\n};\n\n"
            "#endif\n");
}

TEST_F(HeaderWritersTest, TagHeaderRuleSourceAndDictType) {
  EXPECT_EQ(tagHeaderText(s_),
            "#ifndef _DRILL_TAG_H_\n#define _DRILL_TAG_H_\n\n"
            "//dictionary Drill tag nib  \n"
            "#define DRILL_TAG_DF_a  0\n"
            "#define DRILL_TAG_START_BLOCK_Word  1\n"
            "#define DRILL_TAG_DF_a_s00  2\n"
            "#define DRILL_TAG_GEN_t  3\n"
            "\n#endif\n");
  EXPECT_EQ(ruleSourceText(s_),
            "#ifndef _DRILL_RUL_C_\n#define _DRILL_RUL_C_\n\n"
            "const\tTAGADDITIONAL\tRuleTable_DRILL[]=\n{\n"
            "  DRILL_TAG_DF_a_RULE,\n  DRILL_TAG_START_BLOCK_Word_RULE,\n  DRILL_TAG_DF_a_s00_RULE,\n"
            "  DRILL_TAG_GEN_t_RULE,\n};\n\n#endif\n");
  EXPECT_EQ(dictTypeText(s_), "#ifndef _DICT_TYPE_H_\n#define _DICT_TYPE_H_\n\n#define\tDICT_TYPE_DRILL\t\t0x00\n\n#endif\n");
}

TEST_F(HeaderWritersTest, SpaceReport) {
  EXPECT_EQ(spaceReportText(s_),
            "     dict space:\n"
            "      Drill.dic:        51\n"
            "\n"
            "   lib a1 space:\n"
            "        in dict:         5\n"
            "     wdl_a1.dat:        10\n"
            "     wdl_a1.sdx:         3\n"
            "     wdl_a1.cod:         6\n"
            "          total:        24\n"
            "\n"
            "   lib a2 space:\n"
            "        in dict:         0\n"
            "     wdl_a2.dat:         0\n"
            "     wdl_a2.sdx:         0\n"
            "     wdl_a2.cod:         0\n"
            "          total:         0\n"
            "\n"
            "      all space:        70\n");
}

TEST_F(HeaderWritersTest, TagRuleList) {
  EXPECT_EQ(tagRuleListText(s_, tagHeaderText(s_)),
            "//tag_code,  tag_attr,  newline Indent,  chang line Indent \n"
            "// HW:\tcan't find this tag's code!\n"
            "// ZZ:\tthis tag rule hasn't been defined in the tag list!\n"
            "0000\t00000001\t01\t04\t//DF_a\n"
            "0101\t00000001\t00\t00\t//START_BLOCK_Word\n"
            "0000\t00080000\t01\t04\t//DF_a_s00\n");
}

}  // namespace
}  // namespace dm
