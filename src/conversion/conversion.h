// Entry conversion: turns the accepted records into BlockText entries, replaces
// markup by device codes, splits and balances lines, resolves jumps and builds
// the menu tree (Middata/Source/Drill.cln and the menu files).
#pragma once

namespace dm {

struct RunState;

// Empties the keyword lists of the conversion (part of each check pass's reset).
void resetConversion(RunState& state);
// Trash/Drill_2.uni -> Middata/Source/Drill.cln, the menu files and the
// soundPhase, bitmapPhase and menuPhase flags.
void convertDrill(RunState& state);

}  // namespace dm
