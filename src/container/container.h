// Output assembly: gathers the component images, writes the container with its
// directory, checksum and trailer, and scrambles its header.
#pragma once

namespace dm {

struct RunState;

// Destin component files -> Destin/Drill.bin and the size reports.
void assembleContainer(RunState& state);

}  // namespace dm
