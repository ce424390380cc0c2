// What the record, markup and media checks consult besides the intake state:
// the listed media, their byte totals, the source file's name and the two
// file probes (replaceable so tests need no real pictures).
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "pictures/picture_library.h"
#include "work/media_list.h"

namespace dm {

using PictureProbe = std::function<int(const std::filesystem::path&, PictureInfo&)>;
using SoundProbe = std::function<int(const std::filesystem::path&)>;

struct CheckContext {
  const MediaList* mediaList = nullptr;  // null: nothing is listed
  MediaTotals mediaTotals;
  std::u16string sourceName;  // file name of the source text, for code 52
  PictureProbe probePicture;  // unset: CheckFileFormat
  SoundProbe probeSound;      // unset: CheckSoundFile
};

}  // namespace dm
