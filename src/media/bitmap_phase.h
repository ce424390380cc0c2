// The bitmap phase: turns the registered pictures into the device's picture
// tables.
//
//  1. Colour pictures (the other-picture list, with the cover picture put in
//     front of it when its conversion at 800 x 430 succeeds) go into the
//     colour picture store in Destin/BmpExt.
//  2. Every monochrome-list picture becomes a hex bitmap Middata/Bmp/bmp<n>.hex
//     and a line of Middata/Bmp/BmpFile.lst (one line per picture number,
//     fillers "Default\t0" for unused numbers), with the number header
//     Middata/Bmp/Drill_Bmp.h.
//  3. 1-bit pictures go to class 3; 4-bit ones are classified into 4, 5 or 6.
//  4. Each class is coded into its tables in Destin/Bmp, and the information
//     lines are merged into Destin/Bmp/bitmap.inf in picture number order.
#pragma once

#include <string>
#include <vector>

#include "media/media_phases.h"
#include "work/media_list.h"
#include "work/progress_sink.h"
#include "work/work_files.h"

namespace dm::bitmap {

// Steps 2 to 4 over `monochromeList` (entries "%04x" number + file name).
// Files are looked up in `media`; messages go to the log of `sink`. A
// listed picture that cannot be read any more becomes a missing one, with a
// warning naming it and the reason in `warnings` (when given).
void writeMonochromeTables(const WorkPaths& paths, const MediaList& media,
                           const std::vector<std::u16string>& monochromeList, ProgressSink& sink,
                           std::vector<std::string>* warnings = nullptr);

// Step 1: the cover picture and the colour picture store. Updates the
// other-picture list and the cover picture flag of `context`; a cover
// picture that cannot be read any more is left out with a warning in
// context.warnings.
void writeColourPictures(const BitmapContext& context);

}  // namespace dm::bitmap
