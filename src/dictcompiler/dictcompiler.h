// Dictionary body compiler: compresses the entry text with word libraries and
// nibble codes, packs the drill body and writes its tables and C headers.
#pragma once

namespace dm {

struct RunState;

// Mode 0 compiles the drill body from Middata/Source/Drill.cln; mode 2 the
// menu captions.
void CompileDictionary(RunState& state, int mode);

}  // namespace dm
