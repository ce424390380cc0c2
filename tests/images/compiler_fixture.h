// Small output files of the dictionary compiler, byte for byte as the
// compiler writes them, for the image and container tests: a drill body of
// one entry (two lines, one word library "a1" of the words "ab" and "c") and
// a menu compile of two captions (library "m1").
#pragma once

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace dm::test {

// dict.h of the drill body: one library a1, every code one nibble.
inline const std::string kDrillDictH =
    "#ifndef _DICT_H_\n#define _DICT_H_\n\n"
    "#define WORDLIB_BLOCKRECORD 20\n\n"
    "#define  LINE_LENGTH (3+2)\n\n"
    "#define  WORD_LENGTH (2+2)\n\n"
    "ROMTYPE BYTE DRILLWdBaseNo[] =\n{\t/* the whole tag of Drill_dic*/\n"
    "  1,\t//START_BLOCK_Word\tWDL_a1.dat\t0\n"
    "  1,\t//DF_q_c0\tWDL_a1.dat\t1\n"
    "};\n\n"
    "ROMTYPE BYTE\tDICT_WDNO[][6] =\n{\n"
    "  {0x0f,0x0f,0x0f,0x0f,0x0f,0x0f}, \t//WDL_a1.DAT\n"
    "};\n\n"
    "ROMTYPE unsigned int32 WDL_SHORT_LONG_OFFSET[][6] =\n{\n"
    "  { 0x0L, 0xe1L, 0xe1L, 0xe1L, 0xe1L, 0xe1L},\t//WDL_a1.DAT\n"
    "};\n\n"
    "ROMTYPE BYTE\tDICT_DSP[][4] =\n{\n"
    "  {0x0f,0x0f,0x0f,0x0f}, \t//WDL_a1.cod\n"
    "};\n\n"
    "ROMTYPE unsigned int16 DICT_DSP_OFF[][4] =\n{\n"
    "  { 0x0, 0xe1, 0xe1, 0xe1},\t//WDL_a1.cod\n"
    "};\n\n"
    "ROMTYPE unsigned int32\tDictCodeAddr[] =\n{\n\t_WDL_a1_COD,\n};\n\n"
    "ROMTYPE unsigned int32   DictWdNoAddr[] =\n{\n\t_WDL_a1_DAT,\n};\n\n"
    "ROMTYPE unsigned int32\tDictWdNoIdxAddr[] =\n{\n\t_WDL_a1_IDX,\n};\n\n"
    "#endif\n";

inline const std::string kDrillTagH =
    "#ifndef _DRILL_TAG_H_\n#define _DRILL_TAG_H_\n\n"
    "//dictionary Drill tag nib  \n"
    "#define DRILL_TAG_START_BLOCK_Word  0\n"
    "#define DRILL_TAG_DF_q_c0  1\n"
    "\n#endif\n";

inline const std::string kDrillTagRules =
    "//tag_code,  tag_attr,  newline Indent,  chang line Indent \n"
    "0101\t00000000\t00\t00\t//START_BLOCK_Word\n"
    "0000\t00080001\t02\t04\t//DF_q_c0\n";

// The entry: START_BLOCK_Word "ab" "c" (codes 0 1), DF_q_c0 "c" "ab"
// (codes 1 0); tag codes 0 and 1; the tag part 01F padded to 01FF.
inline const std::string kDrillDic = "01FF 0 1 F\n1 0 F\nF\n";
inline const std::string kDrillDicBytes = std::string("\x01\xFF\x01\xF1\x0F\xFF", 6);

inline const std::string kWdlA1Dat = "0 0 1 f\n0 2 f\n";
inline const std::string kWdlA1DatBytes = std::string("\x00\x1F\x02\xFF", 4);
inline const std::string kWdlA1Sdx = "000000\n";
inline const std::string kWdlA1Cod = "0061\n0062\n0063\n";
inline const std::string kWdlA1CodBytes = std::string("\x00\x61\x00\x62\x00\x63", 6);

inline const std::string kEntryAddDat = "00000000\n";
inline const std::string kEntryAddSeg = "4011\n0\n";
inline const std::string kEntryAddOff = "0 \n";

// Writes the drill body's files into `dictDir` (Destin/Dict).
inline void writeDrillBody(const std::filesystem::path& dictDir) {
  writeFile(dictDir / "dict.h", kDrillDictH);
  writeFile(dictDir / "Drill_tag.h", kDrillTagH);
  writeFile(dictDir / "tag_rule.lst", kDrillTagRules);
  writeFile(dictDir / "Drill.dic", kDrillDic);
  writeFile(dictDir / "wdl_a1.dat", kWdlA1Dat);
  writeFile(dictDir / "wdl_a1.sdx", kWdlA1Sdx);
  writeFile(dictDir / "wdl_a1.cod", kWdlA1Cod);
  writeFile(dictDir / "entry_add.dat", kEntryAddDat);
  writeFile(dictDir / "entry_add.seg", kEntryAddSeg);
  writeFile(dictDir / "entry_add.off", kEntryAddOff);
}

// The menu compile: two captions, tag LV01 only, library m1 with one word.
inline const std::string kMenuDictH =
    "#ifndef _DICT_H_\n#define _DICT_H_\n\n"
    "#define WORDLIB_BLOCKRECORD 20\n\n"
    "#define  LINE_LENGTH (1+2)\n\n"
    "#define  WORD_LENGTH (1+2)\n\n"
    "ROMTYPE BYTE MENU_ITEMWdBaseNo[] =\n{\t/* the whole tag of menu_item_dic*/\n"
    "  1,\t//LV01\tWDL_m1.dat\t0\n"
    "};\n\n"
    "ROMTYPE BYTE\tDICT_WDNO[][6] =\n{\n"
    "  {0x0f,0x0f,0x0f,0x0f,0x0f,0x0f}, \t//WDL_m1.DAT\n"
    "};\n\n"
    "ROMTYPE unsigned int32 WDL_SHORT_LONG_OFFSET[][6] =\n{\n"
    "  { 0x0L, 0xe1L, 0xe1L, 0xe1L, 0xe1L, 0xe1L},\t//WDL_m1.DAT\n"
    "};\n\n"
    "ROMTYPE BYTE\tDICT_DSP[][4] =\n{\n"
    "  {0x0f,0x0f,0x0f,0x0f}, \t//WDL_m1.cod\n"
    "};\n\n"
    "ROMTYPE unsigned int16 DICT_DSP_OFF[][4] =\n{\n"
    "  { 0x0, 0xe1, 0xe1, 0xe1},\t//WDL_m1.cod\n"
    "};\n\n"
    "#endif\n";
inline const std::string kMenuTagH =
    "#ifndef _DRILL_TAG_H_\n#define _DRILL_TAG_H_\n\n"
    "//dictionary menu_item tag nib  \n"
    "#define MENU_ITEM_TAG_LV01  0\n"
    "\n#endif\n";
inline const std::string kMenuItemDic = "0F 0 F\n0F 0 F\nF\n";  // 0F0F 0F0F F -> 0F 0F 0F 0F FF
inline const std::string kMenuItemAdd = "00000000\n00000004\n";
inline const std::string kMenuItemSeg = "4011\n0\n";
inline const std::string kMenuItemOff = "0 14 \n";
inline const std::string kMenuIdx = "1\t1\t00000000\t00000001\n2\t5\t00000001\t7fffffff\n";

inline void writeMenuCompile(const std::filesystem::path& menuDir) {
  writeFile(menuDir / "dict.h", kMenuDictH);
  writeFile(menuDir / "menu_tag.h", kMenuTagH);
  writeFile(menuDir / "menu_item.dic", kMenuItemDic);
  writeFile(menuDir / "menu_item.add", kMenuItemAdd);
  writeFile(menuDir / "menu_item.seg", kMenuItemSeg);
  writeFile(menuDir / "menu_item.off", kMenuItemOff);
  writeFile(menuDir / "menu.idx", kMenuIdx);
  writeFile(menuDir / "wdl_m1.dat", "0 0 f\n");
  writeFile(menuDir / "wdl_m1.sdx", "000000\n");
  writeFile(menuDir / "wdl_m1.cod", "0041\n");
}

}  // namespace dm::test
