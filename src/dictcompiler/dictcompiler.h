// Dictionary body compiler: compresses the entry text with word libraries and
// nibble codes, packs the drill body and writes its tables and C headers.
//
// Phases, in order: register the tags and load the source into the split
// files of the word libraries (dict_loader.h), select and generate the word
// libraries (word_select.h, word_library.h), pack the text and write the
// entry tables and the entry address table (dict_packer.h, rom_table.h),
// write the headers, the space report and the tag rule list
// (header_writers.h). The names of the files it reads and writes are in the
// work-file catalogue (work/work_files.h).
#pragma once

#include "dictcompiler/compile_state.h"

namespace dm {

// Compiles ctx.sourcePath (the drill body's Drill.cln, or the menu captions'
// menu.lst) into ctx.dictDir and ctx.dictOutDir by ctx.kind; its progress
// texts and notes go to ctx.sink as log lines. Throws PassFailure when a file
// cannot be read or written. The process's current directory is not used.
void compileDictionary(const CompileContext& ctx);

// The menu depth the menu compile uses: `reported` when it is 2, 3 or 4,
// else the deepest level written in `menuList` (UTF-16LE bytes; a line "LVnn"
// stands for level nn - 1), kept within 2 to 4.
int menuDepthFor(int reported, std::string_view menuList);

}  // namespace dm
