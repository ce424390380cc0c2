// Dictionary component images and menu data: the hex tables of the compiler
// become the byte images Dic.bin, WordLib.bin, TagRule.bin and Menu.bin
// (dic_image.h, wordlib_image.h, tagrule_image.h, menu_image.h), all through
// the component converter (component_converter.h).
#pragma once

namespace dm {

struct RunState;

// The menu phase (runs when menuPhase is set): Middata/Menu/menu.idx ->
// Destin/Menu/menu.idx at the widths of the menu block (menu_data.h), then
// CompileDictionary(state, 2) on the menu captions. Throws PassFailure when
// the menu index cannot be read or written.
void ProcessMenuData(RunState& state);

}  // namespace dm
