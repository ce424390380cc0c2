#include "dictcompiler/split_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "fixtures.h"
#include "platform/failure.h"

namespace dm {
namespace {

TEST(SplitFileTest, LinesOfDictionaryNumberTagAndText) {
  Dictionary dict;
  dict.name = "Drill";
  dict.addTag("DF_q", u"DF_q", "a5");
  const std::vector<SplitLine> lines{{0x1a2b3c, 0, u"問い\tx"}, {0, 0, u""}};
  EXPECT_EQ(encodeSplitFile(dict, lines),
            "\xFF\xFE" + test::utf16le("Drill\t001a2b3c\tDF_q\t問い\tx\nDrill\t00000000\tDF_q\t\n"));
  EXPECT_EQ(encodeSplitFile(dict, {}), "\xFF\xFE");
}

TEST(SplitFileTest, AWrittenFileHoldsTheEncodedBytesOfManyAndOfLongLines) {
  // More than a megabyte, with lines of up to a few hundred thousand units,
  // so that the file is written in several pieces and a line may not fit
  // into one.
  Dictionary dict;
  dict.name = "Drill";
  dict.addTag("DF_q", u"DF_q", "a5");
  dict.addTag("HW", u"HW", "a2");
  std::vector<SplitLine> lines;
  for (std::uint32_t i = 0; i < 3000; ++i)
    lines.push_back({i, i % 2, std::u16string(i % 500, static_cast<char16_t>(u'a' + i % 26))});
  lines.push_back({3000, 0, std::u16string(300000, u'\x3042')});
  lines.push_back({3001, 1, u"end"});
  test::TempDir dir;
  writeSplitFile(dir / "wdl_a5.spl", dict, lines);
  EXPECT_EQ(test::readFile(dir / "wdl_a5.spl"), encodeSplitFile(dict, lines));
  const std::string bytes = encodeSplitFile(dict, lines);
  const std::string last = test::utf16le("Drill\t00000bb9\tHW\tend\n");
  EXPECT_EQ(bytes.substr(bytes.size() - last.size()), last);
  try {
    writeSplitFile("/dev/full", dict, lines);
    FAIL() << "a write to a full device succeeded";
  } catch (const PassFailure& e) {
    EXPECT_STREQ(e.what(), "can't write file /dev/full: No space left on device\n");
  }
}

TEST(SplitFileTest, UnreadableFileIsAPassFailureWithItsMessage) {
  test::TempDir dir;
  test::RecordingSink sink;
  CompileContext ctx;
  ctx.sink = &sink;
  CompileState s(ctx);
  EXPECT_THROW(readWholeFile(dir / "missing", s, "can't open x\n"), PassFailure);
  EXPECT_EQ(sink.lines, std::vector<std::string>{"can't open x"});
  EXPECT_THROW(writeWholeFile(dir / "no/such/folder/file", "x"), PassFailure);
}

TEST(SplitFileTest, WholeFilesAndTheirUnitsAfterTheMark) {
  test::TempDir dir;
  CompileContext ctx;
  CompileState s(ctx);
  std::string large;
  for (int i = 0; i < 100000; ++i) large += static_cast<char>(i * 7);
  struct Case {
    std::string bytes;
    std::u16string units;
  };
  const Case cases[] = {
      {"", u""},
      {"\xFF", u""},
      {"\xFF\xFE", u""},
      {"\xFF\xFE" "A", u""},  // an odd last byte is dropped
      {std::string("\xFF\xFE" "A\0\x42\x30\n\0", 8), u"A\x3042\n"},
      {std::string("\xFE\xFF" "A\0\0", 5), u"A"},  // the mark is not looked at
  };
  for (const Case& c : cases) {
    test::writeFile(dir / "f", c.bytes);
    EXPECT_EQ(readWholeFile(dir / "f", s, "x"), c.bytes);
    EXPECT_EQ(readUtf16leAfterMark(dir / "f", s, "x"), c.units) << c.bytes.size();
  }
  test::writeFile(dir / "large", large);
  EXPECT_EQ(readWholeFile(dir / "large", s, "x"), large);
  const std::u16string units = readUtf16leAfterMark(dir / "large", s, "x");
  ASSERT_EQ(units.size(), (large.size() - 2) / 2);
  EXPECT_EQ(units.back(), static_cast<char16_t>(static_cast<unsigned char>(large[large.size() - 2]) |
                                                static_cast<unsigned char>(large.back()) << 8));
  // A file whose size the system does not tell is read to its end all the same.
  std::ifstream version("/proc/version", std::ios::binary);
  const std::string expected{std::istreambuf_iterator<char>(version), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(readWholeFile("/proc/version", s, "x"), expected);
  EXPECT_THROW(readUtf16leAfterMark(dir / "missing", s, "x"), PassFailure);
}

TEST(SplitFileTest, AFullDiskIsNamedInTheWriteFailure) {
  try {
    writeWholeFile("/dev/full", "dictionary bytes");
    FAIL() << "a write to a full device succeeded";
  } catch (const PassFailure& e) {
    EXPECT_STREQ(e.what(), "can't write file /dev/full: No space left on device\n");
  }
}

}  // namespace
}  // namespace dm
