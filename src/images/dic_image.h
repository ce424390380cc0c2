// Dic.bin: the packed entry text of the drill body behind an 88-byte header.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "work/progress_sink.h"

namespace dm {

namespace fs = std::filesystem;

inline constexpr std::uint32_t kDicTextOffset = 88;

// Builds <dictOutDir>/Dic.bin from <dictOutDir>/<internalName>.dic (kind 0):
// the text offset (88, or 0 when the text is empty), its size, 80 zero bytes,
// the text. Creates Dicerror.txt beside it. A text that cannot be read is
// logged as "No such file! <converted text>" and its bytes are zeros.
// Throws PassFailure "can't create file <Dic.bin>" when Dic.bin
// cannot be created, and when writing it fails.
void BuildDicImage(const fs::path& dictOutDir, std::string_view internalName, ProgressSink& sink);

}  // namespace dm
