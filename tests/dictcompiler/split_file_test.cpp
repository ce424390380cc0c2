#include "dictcompiler/split_file.h"

#include <gtest/gtest.h>

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
