// Output assembly: gathers the component images, writes the container with its
// directory, checksum and trailer, and scrambles its header. The pieces:
// container_format.h (the on-disk constants), build_header.h, index_image.h,
// item_addr_image.h, container_writer.h, checksum.h, scrambler.h and
// size_report.h.
#pragma once

#include "container/container_writer.h"
#include "work/build_options.h"
#include "work/progress_sink.h"
#include "work/work_files.h"

namespace dm {

// What the final assembly reads and writes.
struct AssemblyContext {
  const WorkPaths& paths;
  const BuildOptions& options;
  const ComponentParams& params;  // the menu and bitmap blocks
  // The header values that come from the run: the how-to-use flag of the
  // record check, the entry count of the tag census, the menu location and
  // cover picture of the settings line, the cover picture flag of the bitmap
  // phase and the other-picture list of the media registration.
  container::ContainerSettings settings;
  ProgressSink& sink;  // messages
};

// The final assembly: builds Index.bin, Menu.bin (when the menu phase ran),
// TagRule.bin, ItemAddr.bin, Dic.bin and WordLib.bin into Destin, then
// Destin/Drill.pre and Destin/Drill.bin, with the size reports usrDict.out
// and usrDict.sum in the work root. Font.bin and ExtBmp.bin (the media
// phases' images) must be in Destin before it runs. Throws PassFailure when
// an image or the container cannot be created.
void assembleContainer(const AssemblyContext& context);

}  // namespace dm
