// Dictionary component images and menu data: the hex tables of the compiler
// become the byte images Dic.bin, WordLib.bin, TagRule.bin and Menu.bin.
#pragma once

namespace dm {

struct RunState;

// The menu phase: menu files -> menu tables (runs when menuPhase is set).
void ProcessMenuData(RunState& state);

}  // namespace dm
