// Dictionary component images and menu data: the hex tables of the compiler
// become the byte images Dic.bin, WordLib.bin, TagRule.bin and Menu.bin
// (dic_image.h, wordlib_image.h, tagrule_image.h, menu_image.h), all through
// the component converter (component_converter.h); the menu index is brought
// to the device widths (menu_data.h). The file names are in the work-file
// catalogue (work/work_files.h).
#pragma once

#include "work/build_options.h"
#include "work/work_files.h"

namespace dm {

// What the menu index conversion reads: the work tree and the menu block
// whose widths the index is written at.
struct MenuIndexContext {
  const WorkPaths& paths;
  const MenuParams& block;
};

// The menu index conversion of the menu phase: Middata/Menu/menu.idx ->
// Destin/Menu/menu.idx at the widths of the menu block (convertMenuIndex in
// menu_data.h). Throws PassFailure "can't open file <path>" when the menu
// index cannot be read or its copy cannot be created, and when writing fails.
void convertMenuIndexFile(const MenuIndexContext& ctx);

}  // namespace dm
