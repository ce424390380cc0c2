#include "driver/dictionary_phases.h"

#include <gtest/gtest.h>

#include "dictcompiler/fixtures.h"
#include "support/recording_sink.h"

namespace dm {
namespace {

using test::readFile;

// What the compiler is given for each kind: the folders and input of that
// kind in the run's work tree, the census, the options and the run's sink.
TEST(CompileContextOf, FoldersInputOptionsAndSinkOfEachKind) {
  struct Case {
    CompileKind kind;
    const char* dictDir;
    const char* dictOutDir;
    const char* source;
  };
  const Case cases[] = {
      {CompileKind::kEntries, "Middata/Dict", "Destin/Dict", "Middata/Source/Drill.cln"},
      {CompileKind::kMenu, "Middata/Menu", "Destin/Menu", "Middata/Menu/menu.lst"},
  };
  test::RecordingSink sink;
  RunState state;
  state.paths = WorkPaths::under("/work base");
  state.tagList = {u"HW"};
  state.options.entryNumberWidth = 4;
  state.options.romWidths[0] = 0;
  state.sink = &sink;
  for (const Case& c : cases) {
    const CompileContext ctx = compileContextOf(state, c.kind);
    EXPECT_EQ(ctx.kind, c.kind);
    EXPECT_EQ(ctx.internalName, "Drill");
    EXPECT_EQ(ctx.trash, state.paths.trash);
    EXPECT_EQ(ctx.dictDir, state.paths.root / c.dictDir);
    EXPECT_EQ(ctx.dictOutDir, state.paths.root / c.dictOutDir);
    EXPECT_EQ(ctx.sourcePath, state.paths.root / c.source);
    EXPECT_EQ(ctx.tagList, c.kind == CompileKind::kEntries ? state.tagList : std::vector<std::u16string>{})
        << "the census is the entries' alone";
    EXPECT_EQ(ctx.entryNumberWidth, 4);
    EXPECT_EQ(ctx.romWriterType, 0);
    EXPECT_EQ(ctx.sink, &sink);
  }
}

TEST(CompileContextOf, MenuDepthIsTheConvertedOneOrTheDeepestListedLevel) {
  test::CompileFolders f;
  RunState state;
  state.paths = WorkPaths::under(f.dir.path());
  test::writeFile(f.middata / "Menu/menu.lst", test::blockText({"LV01\t", "LV02\ta", "LV04\tb"}));
  EXPECT_EQ(compileContextOf(state, CompileKind::kMenu).menuDepth, 3);
  state.conversion.menuDepth = 2;
  EXPECT_EQ(compileContextOf(state, CompileKind::kMenu).menuDepth, 2);
}

TEST(CompileDrillBody, WriterTypeAndEntryNumberWidthComeFromTheOptions) {
  test::CompileFolders f;
  RunState state;
  state.paths = WorkPaths::under(f.dir.path());
  test::RecordingSink sink;
  state.sink = &sink;
  const std::vector<std::string> lines{"START_BLOCK_Word\t", "END_BLOCK_Word\t", "", "START_BLOCK_Word\t", ""};
  test::writeFile(f.middata / "Source/Drill.cln", test::blockText(lines));
  state.tagList = test::census(lines);
  state.options.romWidths[0] = 0;
  state.options.entryNumberWidth = 4;
  compileDrillBody(state);
  EXPECT_EQ(readFile(f.destin / "Dict/entry_add.dat"), "0000\n0007\n");
  EXPECT_FALSE(fs::exists(f.destin / "Dict/entry_add.seg"));
  EXPECT_FALSE(fs::exists(f.destin / "Dict/entry_add.off"));
  // The compiler's progress texts are the run's log lines.
  EXPECT_TRUE(sink.logged("loading dictionary: " + (f.middata / "Source/Drill.cln").string()));
}

TEST(CompileMenuCaptions, CompilesMenuListIntoTheMenuFolders) {
  test::CompileFolders f;
  RunState state;
  state.paths = WorkPaths::under(f.dir.path());
  test::writeFile(f.middata / "Menu/menu.lst", test::blockText({"LV01\t", "LV02\tCategory", "LV03\tQuestion"}));
  state.conversion.menuDepth = 2;
  compileMenuCaptions(state);
  EXPECT_TRUE(fs::exists(f.destin / "Menu/menu_item.dic"));
  EXPECT_TRUE(fs::exists(f.destin / "Menu/menu_tag.h"));
  EXPECT_FALSE(fs::exists(f.destin / "Dict/dict.h"));
}

}  // namespace
}  // namespace dm
