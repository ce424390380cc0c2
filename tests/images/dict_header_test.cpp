#include "images/dict_header.h"

#include <gtest/gtest.h>

#include <sstream>

#include "images/compiler_fixture.h"
#include "images/random_input.h"

namespace dm {
namespace {

using Rows = std::vector<std::vector<std::uint32_t>>;

TEST(DictHeader, ReadsBlockRecordTablesAndLibraries) {
  std::istringstream in(test::kDrillDictH);
  DictHeader h = parseDictHeader(in);
  EXPECT_EQ(h.blockRecord, 20u);
  EXPECT_EQ(h.tables[0].columns, 6u);
  EXPECT_EQ(h.tables[0].rows, (Rows{{15, 15, 15, 15, 15, 15}}));
  EXPECT_EQ(h.tables[1].columns, 6u);
  EXPECT_EQ(h.tables[1].rows, (Rows{{0, 0xe1, 0xe1, 0xe1, 0xe1, 0xe1}}));
  EXPECT_EQ(h.tables[2].columns, 4u);
  EXPECT_EQ(h.tables[3].rows, (Rows{{0, 0xe1, 0xe1, 0xe1}}));
  EXPECT_EQ(h.libraries, (std::vector<std::string>{"WDL_a1"}));
}

// dict.h names a library "WDL_<name>"; the compiler writes its files as
// wdl_<name>.dat/.cod/.sdx, and the images read them by that exact name.
TEST(DictHeader, LibraryFilesAreNamedAsTheCompilerWritesThem) {
  struct Case {
    const char* library;
    const char* ext;
    const char* file;
  };
  const Case cases[] = {
      {"WDL_a1", ".dat", "wdl_a1.dat"},
      {"WDL_m1", ".sdx", "wdl_m1.sdx"},
      {"WDL_", ".cod", "wdl_.cod"},
      {"other", ".dat", "other.dat"},
      {"wdl_a2", ".dat", "wdl_a2.dat"},
  };
  for (const Case& c : cases) EXPECT_EQ(libraryFile(c.library, c.ext), c.file) << c.library;

  std::istringstream in(test::kDrillDictH);
  const DictHeader h = parseDictHeader(in);
  ASSERT_EQ(h.libraries.size(), 1u);
  test::TempDir dir;
  test::writeDrillBody(dir.path());
  for (const char* ext : {".dat", ".cod", ".sdx"}) EXPECT_TRUE(fs::exists(dir / libraryFile(h.libraries[0], ext)));
}

TEST(DictHeader, SeveralRowsAndCrLfLines) {
  std::istringstream in(
      "#define WORDLIB_BLOCKRECORD 20\r\n"
      "ROMTYPE BYTE\tDICT_WDNO[][6] =\r\n{\r\n"
      "  {0x05,0x08,0x0f,0x0f,0x0f,0x0f}, \t//WDL_a1.DAT\r\n"
      "  {0x0f,0x0f,0x0f,0x0f,0x0f,0x0f}, \t//WDL_m1.DAT\r\n"
      "};\r\n"
      "ROMTYPE unsigned int16 DICT_DSP_OFF[][4] =\r\n{\r\n  { 0x0, 0x4b, 0x7cb, 0x7cb},\t//WDL_a1.cod\r\n};\r\n");
  DictHeader h = parseDictHeader(in);
  EXPECT_EQ(h.tables[0].rows, (Rows{{5, 8, 15, 15, 15, 15}, {15, 15, 15, 15, 15, 15}}));
  EXPECT_EQ(h.libraries, (std::vector<std::string>{"WDL_a1", "WDL_m1"}));
  // DICT_DSP is a prefix of DICT_DSP_OFF: only the exact name counts.
  EXPECT_TRUE(h.tables[2].rows.empty());
  EXPECT_EQ(h.tables[3].rows, (Rows{{0, 0x4b, 0x7cb, 0x7cb}}));
}

// Malformed input never faults; what cannot be read stays empty or 0.
TEST(DictHeader, MalformedInputCatalogue) {
  const char* cases[] = {
      "",
      "ROMTYPE BYTE\tDICT_WDNO[",
      "ROMTYPE BYTE\tDICT_WDNO[][\n{\n  {0x05,",
      "ROMTYPE BYTE\tDICT_WDNO[][999999999999]\n  {1,2}\t//",
      "ROMTYPE BYTE\tDICT_WDNO[][6]\n  {zz,,0x,}\n",
      "#define WORDLIB_BLOCKRECORD\n",
      "\xff\xfe\x00{}};",
  };
  for (const char* text : cases) {
    std::istringstream in(text);
    DictHeader h = parseDictHeader(in);
    EXPECT_LE(h.tables[0].columns, 255u) << text;
    EXPECT_EQ(h.tables[0].rows.size(), h.libraries.size()) << text;
  }
}

TEST(DictHeader, WdBaseNumbers) {
  std::istringstream in(
      "ROMTYPE BYTE DRILLWdBaseNo[] =\n{\t/* the whole tag of Drill_dic*/\n"
      "  1,\t//START_BLOCK_Word\tWDL_a1.dat\t0\n"
      "  -1,\t//X\tWDL_zz.dat\t1\n"
      "  12 ,\t//Y\tWDL_a2.dat\te0\n"
      "  ,\n"
      "};\n  7,\n");
  EXPECT_EQ(parseWdBaseNumbers(in), (std::vector<int>{1, -1, 12, 0}));
  std::istringstream none("nothing here\n");
  EXPECT_TRUE(parseWdBaseNumbers(none).empty());
}

TEST(DictHeader, RandomInputNeverFaults) {
  for (const std::string& text : test::randomInputs(300, 600, 12)) {
    std::istringstream in("ROMTYPE BYTE\tDICT_WDNO[][6] =\n" + text);
    DictHeader h = parseDictHeader(in);
    EXPECT_EQ(h.tables[0].rows.size(), h.libraries.size());
    std::istringstream base("X WdBaseNo[] =\n{\n" + text);
    parseWdBaseNumbers(base);
  }
}

}  // namespace
}  // namespace dm
