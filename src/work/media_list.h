// The media files listed for a run (the window's file list or the batch
// folder) and their byte totals, as the checks and the media phases see them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "textio/case_fold.h"
#include "textio/wide_line.h"

namespace dm {

// Lower-cased file name (UTF-8) -> the listed path (real case kept, so it
// opens). Look names up with findMedia.
using MediaList = std::map<std::string, std::filesystem::path>;

// The listed path of a media file name, compared without regard to case;
// null when the name is not listed.
inline const std::filesystem::path* findMedia(const MediaList& list, std::u16string_view name) {
  auto it = list.find(utf16ToUtf8(lowerCase(name)));
  return it == list.end() ? nullptr : &it->second;
}

struct MediaTotals {
  std::uint64_t pictures = 0;
  std::uint64_t sounds = 0;
};

}  // namespace dm
