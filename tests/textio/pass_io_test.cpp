#include "textio/pass_io.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/failure.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

namespace fs = std::filesystem;

std::vector<std::u16string> readAll(const std::string& bytes, std::size_t maxUnits = kWideLineUnits) {
  std::istringstream in(bytes);
  WideLineReader reader(in, maxUnits);
  std::vector<std::u16string> lines;
  std::u16string line;
  while (reader.read(line)) lines.push_back(line);
  return lines;
}

std::string le(const std::u16string& s) {
  std::string b;
  for (char16_t c : s) {
    b.push_back(static_cast<char>(c & 0xFF));
    b.push_back(static_cast<char>(c >> 8));
  }
  return b;
}

TEST(WideLineReader, Lines) {
  struct Case {
    std::string bytes;
    std::vector<std::u16string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {le(u"a\r\nb\r\n"), {u"a\r\n", u"b\r\n"}},
      {le(u"a\r\nlast"), {u"a\r\n", u"last"}},
      {le(u"ab") + "x", {u"ab"}},  // an odd trailing byte is dropped
      {"x", {}},
      {le(u"\x3042\n"), {u"\x3042\n"}},
      // An LF byte ends a line only as a whole unit: not as the high byte
      // of U+0A41, nor as the low byte of U+410A.
      {le(u"\x0A41\x410A\n\x0A0A"), {u"\x0A41\x410A\n", u"\x0A0A"}},
  };
  for (const Case& c : cases) EXPECT_EQ(readAll(c.bytes), c.lines);
}

TEST(WideLineReader, LongLinesComeInPieces) {
  EXPECT_EQ(readAll(le(u"abcdefg\r\n"), 4), (std::vector<std::u16string>{u"abc", u"def", u"g\r\n"}));
  EXPECT_EQ(readAll(le(u"ab\ncd\n"), 3), (std::vector<std::u16string>{u"ab", u"\n", u"cd", u"\n"}));
}

TEST(WideLineReader, LinesAcrossBlocks) {
  std::u16string big(100000, u'x');
  std::string bytes = "z" + le(big + u"\r\n" + u"tail\r\n");  // odd start: units straddle blocks
  std::istringstream in(bytes);
  in.get();
  WideLineReader reader(in);
  std::u16string line;
  ASSERT_TRUE(reader.read(line));
  EXPECT_EQ(line, big + u"\r\n");
  ASSERT_TRUE(reader.read(line));
  EXPECT_EQ(line, u"tail\r\n");
  EXPECT_FALSE(reader.read(line));
}

TEST(WideLineWriter, WritesLittleEndian) {
  std::ostringstream out;
  {
    WideLineWriter writer(out);
    writer.write(u"a\x3042");
    writer.write(std::u16string(70000, u'y'));
  }
  EXPECT_EQ(out.str().substr(0, 4), std::string("a\0\x42\x30", 4));
  EXPECT_EQ(out.str().size(), 4u + 140000u);
}

TEST(PassFiles, OpenFailuresEndThePassNamingTheFileAndTheReason) {
  test::TempDir dir;
  const fs::path missing = dir / "missing";
  const fs::path nowhere = dir / "no" / "such" / "folder" / "x";
  try {
    openPassInput(missing);
    ADD_FAILURE() << "no failure";
  } catch (const PassFailure& e) {
    EXPECT_EQ(std::string(e.what()), "can't open file " + missing.string() + ": No such file or directory");
  }
  try {
    openPassOutput(nowhere);
    ADD_FAILURE() << "no failure";
  } catch (const PassFailure& e) {
    EXPECT_EQ(std::string(e.what()), "can't open file " + nowhere.string() + ": No such file or directory");
  }
}

TEST(PassFiles, AFullDiskIsNamedInTheWriteFailure) {
  std::ofstream out = openPassOutput("/dev/full");
  out << "a line of the pass\n";
  try {
    closePassOutput(out, "/dev/full");
    FAIL() << "a write to a full device succeeded";
  } catch (const PassFailure& e) {
    EXPECT_STREQ(e.what(), "can't write file /dev/full: No space left on device");
  }
}

}  // namespace
}  // namespace dm
