#include "media/bitmap_symbol_coder.h"

#include <gtest/gtest.h>

#include <sstream>

namespace dm::bitmap {
namespace {

struct Tables {
  std::ostringstream h, cod, dic, add, inf;
  TableStreams streams() { return {&h, &cod, &dic, &add, &inf}; }
};

std::string picture(const char* header, std::initializer_list<const char*> rows) {
  std::string s = std::string("TT\t") + header + "\n";
  for (const char* r : rows) s += std::string("TT\t") + r + "\n";
  return s;
}

TEST(SymbolCoder, PairOfMonochromePictures) {
  // A: rows FF, FF -> delta FF, 00 -> symbols 0001FF, 000100.
  // B: rows 00, 00, 00 -> delta 00 00 00 -> symbol 000300.
  std::istringstream cln(picture("00080002\t::0001", {"FF", "FF"}) + picture("00080003\t::0001", {"00", "00", "00"}));
  Tables t;
  EXPECT_EQ(writeSymbolTables(cln, {"BITMAP_MONO", false}, t.streams()), 2u);
  // Three symbols: all take one-nibble codes, numbered in ascending order.
  EXPECT_EQ(t.cod.str(), "000100\n0001ff\n000300\n");
  EXPECT_EQ(t.dic.str(), "10\n\n2\n\n");
  EXPECT_EQ(t.add.str(), "00000000\n00000002\n00000003\n");
  EXPECT_EQ(t.inf.str(), "9\t002\t0008\t00000000\n9\t003\t0008\t00000001\n");
  EXPECT_EQ(t.h.str(),
            "#ifndef _BITMAP_MONO_INC_\n#define _BITMAP_MONO_INC_\n\n"
            "ROMTYPE struct {\n  uchar wdno[5];\n  uint  offset[5];\n}BITMAP_MONO_WDNO_OFFSET={\n"
            "{0x10,0x10,0x10,0x10,0x10},\n  {0x000000,0x0000fd,0x000ffd,0x00fffd,0x0ffffd}\n};\n\n#endif\n\n");
}

TEST(SymbolCoder, ColourTableAddsBitsToItsAddressLines) {
  std::istringstream cln(picture("00020001\t::0004", {"::" "00000000", "12"}));
  Tables t;
  writeSymbolTables(cln, {"BITMAP_CLR", true}, t.streams());
  EXPECT_EQ(t.cod.str(), "000112\n");
  EXPECT_EQ(t.dic.str(), "0\n\n");
  EXPECT_EQ(t.add.str(), "0000000\t4\n0000001\t4\n");
  EXPECT_EQ(t.inf.str(), "5\t001\t0002\t00000000\n");
  EXPECT_NE(t.h.str().find("}BITMAP_CLR_WDNO_OFFSET={\n"), std::string::npos);
}

TEST(SymbolCoder, FrequentSymbolsGetShorterCodes) {
  // 17 pictures of one row each: symbol 000100 sixteen times, then sixteen
  // other symbols once: more than 16 symbols need two-nibble codes.
  std::string text;
  for (int i = 0; i < 16; ++i) text += picture("00080001\t::0001", {"00"});
  for (int i = 1; i <= 16; ++i) {
    char row[3];
    std::snprintf(row, sizeof row, "%02X", i);
    text += picture("00080001\t::0001", {row});
  }
  std::istringstream cln(text);
  Tables t;
  writeSymbolTables(cln, {"BITMAP_MONO", false}, t.streams());
  std::istringstream cod(t.cod.str());
  std::string first;
  std::getline(cod, first);
  EXPECT_EQ(first, "000100") << "the most frequent symbol comes first";
  std::istringstream dic(t.dic.str());
  std::string code;
  std::getline(dic, code);
  EXPECT_EQ(code, "0") << "and has a one-nibble code";
}

TEST(SymbolCoder, RunsStopAt65535Repeats) {
  // 70,000 zero bytes in one picture: runs of 65,535 and 4,465.
  const int width = 8 * 70000 / 100;  // 100 rows of 700 bytes
  std::string text = "TT\t";
  char header[32];
  std::snprintf(header, sizeof header, "%04X0064\t::0001\n", width);
  text += header;
  for (int y = 0; y < 100; ++y) text += "TT\t" + std::string(1400, '0') + "\n";
  std::istringstream cln(text);
  Tables t;
  writeSymbolTables(cln, {"BITMAP_MONO", false}, t.streams());
  EXPECT_EQ(t.cod.str(), "117100\nffff00\n");
}

TEST(SymbolCoder, PicturesBeyondTheCoderTakeTheDefaultLine) {
  // Taller than 1,500 rows: replaced by the default picture (the choice for
  // the coder's row limit), and its symbols do not enter the code.
  std::string tall = "TT\t000805DD\t::0001\n";
  for (int y = 0; y < 1501; ++y) tall += "TT\t0F\n";
  std::istringstream cln(picture("00080001\t::0001", {"AA"}) + tall + picture("00080001\t::0001", {"AA"}));
  Tables t;
  EXPECT_EQ(writeSymbolTables(cln, {"BITMAP_MONO", false}, t.streams()), 3u);
  EXPECT_EQ(t.inf.str(), "9\t001\t0008\t00000000\n9\t033\t003A\t00000000\n9\t001\t0008\t00000001\n");
  EXPECT_EQ(t.cod.str(), "0001aa\n");
  EXPECT_EQ(t.add.str(), "00000000\n00000001\n00000002\n");
}

TEST(SymbolCoder, ShortOrMalformedPicturesDoNotCrash) {
  // Text before the first header, a picture cut short, non-hex digits.
  std::istringstream cln(
      "garbage\nTT\t00080001\t::0001\nTT\tZ?\n"
      "TT\t00080003\t::0001\nTT\tFF\n");
  Tables t;
  EXPECT_EQ(writeSymbolTables(cln, {"BITMAP_MONO", false}, t.streams()), 2u);
  EXPECT_EQ(t.inf.str(), "9\t001\t0008\t00000000\n9\t033\t003A\t00000000\n");
  EXPECT_EQ(t.add.str(), "00000000\n00000001\n");
}

TEST(SymbolCoder, EmptyInputWritesEmptyTablesAndAFinalOffset) {
  std::istringstream cln("");
  Tables t;
  EXPECT_EQ(writeSymbolTables(cln, {"BITMAP_MONO", false}, t.streams()), 0u);
  EXPECT_EQ(t.cod.str(), "");
  EXPECT_EQ(t.add.str(), "00000000\n");
  EXPECT_NE(t.h.str().find("{0x10,0x10,0x10,0x10,0x10}"), std::string::npos);
}

}  // namespace
}  // namespace dm::bitmap
