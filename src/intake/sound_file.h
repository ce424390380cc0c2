// The sound file check: whether a listed MP3 or RMP file holds usable audio.
#pragma once

#include <filesystem>
#include <string_view>

namespace dm {

// Bytes read from a sound file for the check.
inline constexpr std::size_t kSoundCheckBlock = 4096;

// 0 when the file is acceptable, -1 when it is not a valid MP3 or RMP file or
// cannot be opened, -3 when the upper-cased path contains neither ".MP3" nor
// ".RMP". An empty MP3 or RMP file is acceptable.
int CheckSoundFile(const std::filesystem::path& path);

// The MP3 frame-header test over one block: true when two Layer III frame
// headers in it agree in version, layer, sample rate and padding.
bool mp3HeadersAgree(std::string_view block);

// The RMP test over the first block of the file: "RIFF", "RMP3" at offset 8
// and a "data" chunk inside the block.
bool rmpBlockValid(std::string_view block);

}  // namespace dm
