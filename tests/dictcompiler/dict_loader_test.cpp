#include "dictcompiler/dict_loader.h"

#include <gtest/gtest.h>

#include "fixtures.h"
#include "platform/failure.h"

namespace dm {
namespace {

using test::CompileFolders;
using test::fromUtf16File;
using test::readFile;

class DictLoaderTest : public ::testing::Test {
 protected:
  // Registers and loads; returns the state for inspection.
  void load(const CompileContext& ctx) {
    state_ = std::make_unique<CompileState>(ctx);
    RegisterTags(*state_);
    LoadDictionary(*state_);
  }
  std::string split(const char* lib) const { return fromUtf16File(readFile(f_.middata / "Dict" / lib)); }

  CompileFolders f_;
  test::RecordingSink sink_;
  std::unique_ptr<CompileState> state_;
};

TEST_F(DictLoaderTest, RoutesLinesToTheSplitFilesOfTheirLibraries) {
  load(f_.entrySource({"START_BLOCK_Word\t", "HW", "DF_a\tanswer", "", ":comment", "DF_a_s00\tmore",
                       "DF_q\tq\ttabbed", "END_BLOCK_Word\t", ""},
                      &sink_));
  EXPECT_EQ(split("wdl_a2.spl"),
            "Drill\t00000000\tSTART_BLOCK_Word\t\n"
            "Drill\t00000001\tHW\t\n"
            "Drill\t00000005\tEND_BLOCK_Word\t\n");
  EXPECT_EQ(split("wdl_a1.spl"),
            "Drill\t00000002\tDF_a\tanswer\n"
            "Drill\t00000003\tDF_a_s00\tmore\n");
  EXPECT_EQ(split("wdl_a5.spl"), "Drill\t00000004\tDF_q\tq\ttabbed\n");
  // Every library of the table has a split file with its mark.
  EXPECT_EQ(readFile(f_.middata / "Dict/wdl_a3.spl"), "\xFF\xFE");
  EXPECT_EQ(readFile(f_.middata / "Dict/wdl_a4.spl"), "\xFF\xFE");
  EXPECT_TRUE(fs::exists(f_.middata / "Dict/tag.err"));
  EXPECT_EQ(readFile(f_.middata / "Dict/tag.err"), "");
  EXPECT_TRUE(sink_.logged("loading dictionary: "));
}

TEST_F(DictLoaderTest, RegistersTagsWithTheirLibrariesAndMarksTheEntryStart) {
  load(f_.entrySource({"START_BLOCK_Word\t", "DF_a_s00\tx", "END_BLOCK_Word\t"}, &sink_));
  const Dictionary& d = state_->dict;
  EXPECT_EQ(d.name, "Drill");
  EXPECT_EQ(d.codedPath, "Drill.dic");
  ASSERT_EQ(d.tags.size(), 3u);
  EXPECT_EQ(d.tags[0].name, "DF_a_s00");
  EXPECT_EQ(d.tags[0].library, "a1");
  const int start = d.findTag("START_BLOCK_Word");
  ASSERT_GE(start, 0);
  EXPECT_TRUE(d.tags[start].opensBlock);
  EXPECT_TRUE(d.tags[start].isHeadword);
  ASSERT_EQ(d.blockTags.size(), 1u);
  EXPECT_EQ(d.blockTags[0].name, "START_BLOCK_Word");
  std::vector<std::string> libs;
  for (const WordLib& l : state_->libs) libs.push_back(l.name);
  EXPECT_EQ(libs, (std::vector<std::string>{"a1", "a2", "a3", "a4", "a5"}));
}

TEST_F(DictLoaderTest, UnknownCensusTagStopsRegistration) {
  // A census with XYZ between known tags.
  CompileContext ctx = f_.entrySource(
      {"START_BLOCK_Word\t", "DF_a\ta", "HW\th", "XYZ\tx", "DF_q\tq", "END_BLOCK_Word\t"}, &sink_);
  ctx.tagList = {u"DF_a", u"HW", u"XYZ", u"DF_q", u"END_BLOCK_Word", u"START_BLOCK_Word"};
  load(ctx);
  EXPECT_TRUE(sink_.logged("Unknown Tag Name: XYZ!"));
  EXPECT_EQ(state_->dict.tags.size(), 2u);  // DF_a, HW
  EXPECT_EQ(readFile(f_.middata / "Dict/tag.err"),
            "can't found the following tag in opt file :\n\n"
            "DF_q\nEND_BLOCK_Word\nSTART_BLOCK_Word\nXYZ\n");
  EXPECT_EQ(split("wdl_a1.spl"), "Drill\t00000000\tDF_a\ta\n");
  EXPECT_EQ(split("wdl_a2.spl"), "Drill\t00000001\tHW\th\n");
}

TEST_F(DictLoaderTest, UnknownTagIsLookedUpWithoutTheSplitSuffix) {
  CompileContext ctx = f_.entrySource({"START_BLOCK_Word\t", "ABC_s00\tx"}, &sink_);
  load(ctx);
  EXPECT_TRUE(sink_.logged("Unknown Tag Name: ABC!"));
}

TEST_F(DictLoaderTest, MissingSourceIsAPassFailure) {
  CompileContext ctx = f_.context(CompileKind::kEntries, &sink_);
  ctx.tagList = {u"HW"};
  CompileState s(ctx);
  try {
    RegisterTags(s);
    FAIL() << "no failure";
  } catch (const PassFailure& e) {
    EXPECT_EQ(std::string(e.what()), "can't open dict source file " + ctx.sourcePath.string() + "\n");
  }
}

TEST_F(DictLoaderTest, EmptyCensusRegistersNothingAndReadsNothing) {
  CompileContext ctx = f_.context(CompileKind::kEntries, &sink_);  // no source written
  load(ctx);
  EXPECT_TRUE(state_->dict.tags.empty());
  EXPECT_EQ(split("wdl_a1.spl"), "");
  EXPECT_EQ(readFile(f_.middata / "Dict/tag.err"), "");
}

TEST_F(DictLoaderTest, LineAtTheLengthLimitStaysWhole) {
  // 51,199 units with the CR LF: the longest line read at once.
  const std::string value(51199 - 2 - 5, 'x');
  load(f_.entrySource({"START_BLOCK_Word\t", "DF_q\t" + value}, &sink_));
  EXPECT_EQ(split("wdl_a5.spl"), "Drill\t00000001\tDF_q\t" + value + "\n");
  EXPECT_EQ(readFile(f_.middata / "Dict/tag.err"), "");
}

TEST_F(DictLoaderTest, LongerLineComesInPieces) {
  // The rest of the line after 51,199 units is read as a line of its own,
  // whose text before the first TAB is taken as its tag.
  const std::string value(51199 - 5 + 10, 'x');
  load(f_.entrySource({"START_BLOCK_Word\t", "DF_q\t" + value}, &sink_));
  EXPECT_EQ(split("wdl_a5.spl"), "Drill\t00000001\tDF_q\t" + value.substr(0, 51194) + "\n");
  EXPECT_EQ(readFile(f_.middata / "Dict/tag.err"), "can't found the following tag in opt file :\n\nxxxxxxxxxx\n");
}

TEST_F(DictLoaderTest, MenuCompileTakesTheTableOfItsDepth) {
  test::writeFile(f_.middata / "Menu/menu.lst",
                  test::blockText({"LV01\t", "LV02\tcat", "LV03\tq1", "LV04\tdeeper"}));
  CompileContext ctx = f_.context(CompileKind::kMenu, &sink_);
  ctx.menuDepth = 2;  // three levels: LV01-LV03
  load(ctx);
  const Dictionary& d = state_->dict;
  EXPECT_EQ(d.name, "menu_item");
  ASSERT_EQ(d.blockTags.size(), 3u);
  EXPECT_EQ(d.blockTags[2].name, "LV03");
  for (const DictTag& t : d.tags) EXPECT_TRUE(t.opensBlock && !t.isHeadword);
  EXPECT_EQ(fromUtf16File(readFile(f_.middata / "Menu/wdl_m1.spl")),
            "menu_item\t00000000\tLV01\t\n"
            "menu_item\t00000001\tLV02\tcat\n"
            "menu_item\t00000002\tLV03\tq1\n");
  EXPECT_EQ(readFile(f_.middata / "Menu/tag.err"), "can't found the following tag in opt file :\n\nLV04\n");
}

}  // namespace
}  // namespace dm
