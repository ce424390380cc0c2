// The dictionary phases of the build pass as the driver runs them: the
// contexts of the dictionary compiler and of the menu index conversion,
// built from the run state, and the two compiles.
#pragma once

#include "dictcompiler/compile_state.h"
#include "driver/run_state.h"
#include "images/images.h"

namespace dm {

// The compiler's context for `kind`: the work and output folders of that
// kind, its input (Middata/Source/Drill.cln or Middata/Menu/menu.lst), the
// tag census (the entries' only: the menu's tags are fixed), the entry
// number width and the table writer type of the options, the run's sink;
// for the menu compile the menu depth (menuDepthFor of the converted depth
// and menu.lst). The menu's context reads nothing the census writes.
CompileContext compileContextOf(const RunState& state, CompileKind kind);

// Compiles the drill body from Middata/Source/Drill.cln; with a gate, as
// the first of two compiles side by side.
void compileDrillBody(RunState& state, SelectionGate* gate = nullptr);
// Compiles the menu captions of Middata/Menu/menu.lst.
void compileMenuCaptions(RunState& state);
// The same, telling `sink` instead of the run's sink what it does. It only
// reads the run state, so it may run beside the entries' compile, sharing
// its gate (the second of the two).
void compileMenuCaptions(const RunState& state, ProgressSink& sink, SelectionGate* gate);

// The menu index conversion's context: the work paths and the menu block.
MenuIndexContext menuIndexContextOf(const RunState& state);

}  // namespace dm
