#include "images/wordlib_image.h"

#include <gtest/gtest.h>

#include "textio/byte_order.h"
#include "images/compiler_fixture.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

const std::string kTwoLibraries =
    "#define WORDLIB_BLOCKRECORD 20\n\n"
    "ROMTYPE BYTE\tDICT_WDNO[][6] =\n{\n"
    "  {0x05,0x08,0x0f,0x0f,0x0f,0x0f}, \t//WDL_a1.DAT\n"
    "  {0x0f,0x0f,0x0f,0x0f,0x0f,0x0f}, \t//WDL_a2.DAT\n"
    "};\n\n"
    "ROMTYPE unsigned int32 WDL_SHORT_LONG_OFFSET[][6] =\n{\n"
    "  { 0x0L, 0x4bL, 0x7cbL, 0x7cbL, 0x7cbL, 0x7cbL},\t//WDL_a1.DAT\n"
    "  { 0x0L, 0x0L, 0x0L, 0x0L, 0x0L, 0x0L},\t//WDL_a2.DAT\n"
    "};\n\n"
    "ROMTYPE BYTE\tDICT_DSP[][4] =\n{\n"
    "  {0x01,0x0f,0x0f,0x0f}, \t//WDL_a1.cod\n"
    "  {0x0f,0x0f,0x0f,0x0f}, \t//WDL_a2.cod\n"
    "};\n\n"
    "ROMTYPE unsigned int16 DICT_DSP_OFF[][4] =\n{\n"
    "  { 0x0, 0xf, 0xf, 0xf},\t//WDL_a1.cod\n"
    "  { 0x0, 0x0, 0x0, 0x0},\t//WDL_a2.cod\n"
    "};\n\n#endif\n";

void descriptor(std::string& b, std::uint32_t offset, std::uint32_t size, std::uint32_t rows, std::uint32_t element,
                std::uint32_t columns) {
  appendLE32(b, offset);
  appendLE32(b, size);
  appendLE16(b, rows);
  appendByte(b, element);
  appendByte(b, columns);
  appendLE32(b, 0);
}

TEST(WordLibImage, TablesDirectoryAndDataOfTwoLibraries) {
  TempDir dir;
  writeFile(dir / "dict.h", kTwoLibraries);
  writeFile(dir / "wdl_a1.dat", test::kWdlA1Dat);
  writeFile(dir / "wdl_a1.cod", test::kWdlA1Cod);
  writeFile(dir / "wdl_a1.sdx", test::kWdlA1Sdx);
  writeFile(dir / "wdl_a2.dat", "0 0 f\n");
  writeFile(dir / "wdl_a2.cod", "0041\n");  // no .sdx for a2
  ASSERT_NO_THROW(BuildWordLibImage(dir.path()));

  std::string want;
  descriptor(want, 64, 12, 2, 1, 6);
  descriptor(want, 76, 48, 2, 4, 6);
  descriptor(want, 124, 8, 2, 1, 4);
  descriptor(want, 132, 32, 2, 4, 4);
  for (int v : {5, 8, 15, 15, 15, 15, 15, 15, 15, 15, 15, 15}) appendByte(want, v);
  for (std::uint32_t v : {0u, 0x4bu, 0x7cbu, 0x7cbu, 0x7cbu, 0x7cbu, 0u, 0u, 0u, 0u, 0u, 0u}) appendLE32(want, v);
  for (int v : {1, 15, 15, 15, 15, 15, 15, 15}) appendByte(want, v);
  for (std::uint32_t v : {0u, 0xfu, 0xfu, 0xfu, 0u, 0u, 0u, 0u}) appendLE32(want, v);
  appendByte(want, 6);
  appendByte(want, 20);
  ASSERT_EQ(want.size(), 166u);
  // a1: 3 characters, 1 index entry; .dat 4 bytes at 230, .cod 6 at 234, .sdx 3 at 240.
  for (std::uint32_t v : {3u, 1u, 230u, 4u, 234u, 6u, 240u, 3u}) appendLE32(want, v);
  // a2: 1 character, no index; .dat 2 bytes at 243, .cod 2 at 245, .sdx missing.
  for (std::uint32_t v : {1u, 0u, 243u, 2u, 245u, 2u, 0u, 0u}) appendLE32(want, v);
  want += test::kWdlA1DatBytes + test::kWdlA1CodBytes + std::string("\x00\x00\x00", 3);
  want += std::string("\x00\xFF\x00\x41", 4);

  EXPECT_EQ(readFile(dir / "WordLib.bin"), want);
  EXPECT_EQ(readFile(dir / "Liberror.txt"), (dir / "wdl_a2.sdx").string() + "\n");
  for (const char* converted : {"wdl_a1.dat_", "wdl_a1.cod_", "wdl_a1.sdx_", "wdl_a2.dat_", "wdl_a2.cod_"})
    EXPECT_FALSE(fs::exists(dir / converted)) << converted;
}

TEST(WordLibImage, TableOffsetsCountFromBase) {
  std::istringstream in(test::kDrillDictH);
  DictHeader h = parseDictHeader(in);
  std::string b = wordLibTableBytes(h, 100);
  ASSERT_EQ(b.size(), 64u + 6 + 24 + 4 + 16);
  EXPECT_EQ(loadLE32(b, 0), 164u);
  EXPECT_EQ(loadLE32(b, 16), 170u);
  EXPECT_EQ(loadLE32(b, 32), 194u);
  EXPECT_EQ(loadLE32(b, 48), 198u);
}

TEST(WordLibImage, ShortAndLongRowsKeepDeclaredColumns) {
  std::istringstream in("ROMTYPE BYTE\tDICT_WDNO[][6] =\n{\n  {0x01,0x02}, \t//WDL_a1.DAT\n"
                        "  {1,2,3,4,5,6,7,8}, \t//WDL_a2.DAT\n};\n");
  DictHeader h = parseDictHeader(in);
  std::string b = wordLibTableBytes(h, 0);
  EXPECT_EQ(loadLE32(b, 4), 12u);
  EXPECT_EQ(b.substr(64, 12), std::string("\x01\x02\x00\x00\x00\x00\x01\x02\x03\x04\x05\x06", 12));
}

}  // namespace
}  // namespace dm
