#include "media/font_image.h"

#include <gtest/gtest.h>

#include "media/bitmap_phase.h"
#include "media/font_tables.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

std::uint32_t u32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s.at(at + static_cast<std::size_t>(i)));
  return v;
}

const std::vector<std::string> kWarnings = {"Warning: no such file [CodeType.lst]!",
                                            "Warning: no such file [font2.idx]!",
                                            "Warning: not such file [font2.map]!"};

class FontImageTest : public ::testing::Test {
 protected:
  FontImageTest() : paths(WorkPaths::under(dir.path())) {
    for (const fs::path& p : {paths.trash, paths.destin / workfiles::kBmpFolder, paths.middata / workfiles::kBmpFolder}) fs::create_directories(p);
  }
  test::TempDir dir;
  WorkPaths paths;
  test::RecordingSink log;
};

TEST_F(FontImageTest, WithoutPicturesHeaderAndEmptyDirectoryOnly) {
  buildFontImage(paths, log);
  const std::string image = readFile(paths.destin / workfiles::kFontImage);
  ASSERT_EQ(image.size(), 29u + 3060u);
  EXPECT_EQ(image.substr(0, 25), std::string(25, '\0'));
  EXPECT_EQ(u32(image, 25), 29u);
  const std::string font2 = image.substr(29);
  EXPECT_EQ(font2, readFile(paths.trash / workfiles::kFontDirectory));
  std::string expected(164, '\0');
  expected[0] = 1;
  for (std::size_t at : {8, 12, 52, 56, 68, 72, 76}) expected.replace(at, 4, "\xFF\xFF\xFF\xFF");
  expected.replace(24, 8, std::string("\x00\x30\x00\x30\x00\xE0\x00\xE0", 8));
  EXPECT_EQ(font2.substr(0, 164), expected);
  EXPECT_EQ(font2.substr(164), std::string(16 * 176 + 80, '\0'));
  EXPECT_EQ(log.lines, kWarnings);
}

TEST_F(FontImageTest, MonochromePicturesFillOnlyGroupNine) {
  test::RecordingSink phaseLog;
  bitmap::writeMonochromeTables(paths, {}, {u"0014default.bmp"}, phaseLog);
  buildFontImage(paths, log);
  EXPECT_EQ(log.lines, kWarnings) << "every slot was patched";
  const std::string f = readFile(paths.trash / workfiles::kFontDirectory);
  ASSERT_EQ(readFile(paths.destin / workfiles::kFontImage).substr(29), f);
  const std::size_t r = 164;
  EXPECT_EQ(f[r + 1], 3);
  EXPECT_EQ(u32(f, r + 4), 21u) << "lines of bitmap.inf, unused numbers included";
  for (std::size_t at : {8, 12, 16}) EXPECT_EQ(u32(f, r + at), 0xFFFFFFFFu);
  EXPECT_EQ(u32(f, r + 24), 3060u);
  // bitmap.inf packed: 20 unused records of 8 bytes 0xFF, then the default.
  EXPECT_EQ(f.substr(3060, 160), std::string(160, '\xFF'));
  EXPECT_EQ(f.substr(3220, 8), std::string("\x90\x33\x00\x3A\x00\x00\x00\x00", 8));

  auto slot = [&](int g, int s) { return u32(f, r + 32 + 12 * static_cast<std::size_t>(g) + 4 * static_cast<std::size_t>(s)); };
  for (int g = 0; g < 12; ++g) {
    if (g == 9) continue;
    const bool symbol = g == 3 || g == 5 || g == 6;
    EXPECT_EQ(slot(g, 0), 0xFFFFFFFFu) << g;
    EXPECT_EQ(slot(g, 1), 0xFFFFFFFFu) << g;
    EXPECT_EQ(slot(g, 2), symbol ? 0xFFFFFFFFu : 0u) << g;
  }
  // Group 9: .dic, .add and the symbol table header, then the .cod.
  EXPECT_EQ(slot(9, 0), 3228u);
  EXPECT_GT(slot(9, 1), slot(9, 0));
  EXPECT_GT(slot(9, 2), slot(9, 1));
  const std::size_t h = slot(9, 2);
  EXPECT_EQ(f[h], 1);
  EXPECT_EQ(f[h + 1], 5);
  EXPECT_EQ(f[h + 3], 4);
  EXPECT_EQ(u32(f, h + 4), font::countLines(paths.destin / workfiles::kBmpFolder / "bitmap_mono_3.cod"));
  EXPECT_EQ(f[h + 8], 2);
  // The .add member holds the picture's offset (0) and the final offset.
  const std::string add = f.substr(slot(9, 1), slot(9, 2) - slot(9, 1));
  EXPECT_EQ(add.substr(0, 4), std::string(4, '\0'));
  // The converted copies are gone once appended.
  for (const char* name : {"bitmap.inf_", "bitmap_mono_3.dic_", "bitmap_mono_3.add_", "bitmap_mono_3.cod_"})
    EXPECT_FALSE(fs::exists(paths.destin / workfiles::kBmpFolder / name)) << name;
}

TEST_F(FontImageTest, RawAndRunLengthGroups) {
  const fs::path bmp = paths.destin / workfiles::kBmpFolder;
  writeFile(bmp / workfiles::kMergedInfo, "4\t001\t0002\t00000000\n");
  writeFile(bmp / "bitmap_clr_4.hex", "12\n\n");
  writeFile(bmp / "bitmap_clr_4.add", "0000000\t4\n");
  writeFile(bmp / "bitmap_clr_6.dic", "0112\n\n");
  writeFile(bmp / "bitmap_clr_6.add", "0000000\t4\n0000002\t4\n");
  writeFile(bmp / "bitmap_clr_6.h", "");
  buildFontImage(paths, log);
  const std::string f = readFile(paths.trash / workfiles::kFontDirectory);
  auto slot = [&](int g, int s) { return u32(f, 164 + 32 + 12 * static_cast<std::size_t>(g) + 4 * static_cast<std::size_t>(s)); };
  // bitmap.inf: 8 bytes at 3060; the raw group 4 follows; then group 6.
  EXPECT_EQ(slot(4, 0), 3068u);
  EXPECT_EQ(f.substr(3068, 1), "\x12");
  EXPECT_EQ(slot(4, 1), 3069u);
  EXPECT_EQ(f.substr(3069, 4), std::string("\x00\x00\x00\x04", 4));
  EXPECT_EQ(slot(4, 2), 0u);
  EXPECT_EQ(slot(6, 0), 3073u);
  EXPECT_EQ(slot(6, 1), 3075u);
  EXPECT_EQ(slot(6, 2), 0xFFFFFFFFu) << "no .cod: no symbol table header";
  EXPECT_EQ(f.size(), 3075u + 8u);
}

TEST(SymbolTableHeader, ValuesOfBothGroups) {
  std::istringstream h(
      "#ifndef _BITMAP_MONO_INC_\n#define _BITMAP_MONO_INC_\n\n"
      "ROMTYPE struct {\n  uchar wdno[5];\n  uint  offset[5];\n}BITMAP_MONO_WDNO_OFFSET={\n"
      "{0x0f,0x10,0x10,0x10,0x10},\n  {0x000000,0x0000fd,0x000ffd,0x00fffd,0x0ffffd}\n};\n\n#endif\n\n");
  const std::optional<std::string> header = font::symbolTableHeader(h, 3);
  ASSERT_TRUE(header);
  const std::string expected = std::string("\x01\x05\x03\x04\x03\x00\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00", 16) +
                               std::string("\x0f\x10\x10\x10\x10", 5) +
                               std::string("\x00\x00\x00\xfd\x00\x00\xfd\x0f\x00\xfd\xff\x00\xfd\xff\x0f", 15);
  EXPECT_EQ(*header, expected);
}

TEST(SymbolTableHeader, FourDigitOffsetsAndOddDigitCounts) {
  std::istringstream h("{0x01,0x10},\n  {0x123,0x0001}\n");
  const std::string header = *font::symbolTableHeader(h, 0);
  EXPECT_EQ(header[0], 1);
  EXPECT_EQ(header[1], 2);
  EXPECT_EQ(header[2], 2) << "a 3-digit value takes 2 bytes";
  EXPECT_EQ(header.substr(16), std::string("\x01\x10\x23\x01\x01\x00", 6));
}

TEST_F(FontImageTest, WrapperWithoutSourceReportsAndWritesNothing) {
  wrapFontImage(paths.trash / "missing.bin", paths.destin / workfiles::kFontImage, log);
  EXPECT_EQ(log.lines, std::vector<std::string>{"Error: Can't read the [" + (paths.trash / "missing.bin").string() +
                                                "] file!"});
  EXPECT_FALSE(fs::exists(paths.destin / workfiles::kFontImage));
}

TEST(CountLines, LastLineWithoutLineEndCounts) {
  test::TempDir dir;
  struct Case {
    const char* text;
    std::uint32_t lines;
  } cases[] = {{"", 0}, {"a", 1}, {"a\n", 1}, {"a\nb", 2}, {"\n\n", 2}, {"a\r\nb\r\n", 2}};
  for (const Case& c : cases) {
    writeFile(dir / "f", c.text);
    EXPECT_EQ(font::countLines(dir / "f"), c.lines) << c.text;
  }
  EXPECT_EQ(font::countLines(dir / "missing"), 0u);
}

}  // namespace
}  // namespace dm
