// Sound packaging: copies every registered sound into Destin/Sound as a
// plain MP3 file (RMP files lose their RIFF wrapper) and packs them into
// Destin/Sound.bin:
//
//   u32 n, u32 total size, n x (u32 offset, u32 size)   all big-endian
//   the MP3 data of the found sounds, in list order
//   u16 check value (0xA5A5 - sum of all preceding bytes as signed bytes),
//   high byte first; the build date in BCD (day, month, year % 100,
//   year / 100); 26 zero bytes.
#pragma once

#include <array>
#include <ctime>
#include <filesystem>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "media/media_phases.h"
#include "work/media_list.h"
#include "work/progress_sink.h"
#include "work/work_files.h"

namespace dm::sound {

namespace fs = std::filesystem;

inline constexpr std::size_t kTrailerZeros = 26;
inline constexpr std::size_t kRmpBlock = 4096;

// Writes the MP3 audio of an RMP file: the bytes after the 8-byte header of
// the "data" chunk found by the RIFF chunk walk from offset 12 inside the
// first 4096 bytes (none of them when there is none), then the rest of the
// file unchanged.
void unwrapRmp(std::istream& in, std::ostream& out);

// The check value of the bytes summed so far (sum of signed bytes).
std::uint16_t checkValue(std::int64_t signedSum);

// The 4 BCD date bytes of `date`.
std::array<std::uint8_t, 4> bcdDate(const std::tm& date);

// Copies the sounds of `soundList` (entries: 8-digit id + file name), looked
// up in `media`, into destin/Sound and writes middata/Sound/SndFile.lst. A
// sound that is not listed, or that cannot be read any more, gets the flag 0;
// for a listed one that cannot be read or copied a warning naming the file
// and the reason goes to `warnings` (when given).
void copySounds(const WorkPaths& paths, const MediaList& media, const std::vector<std::u16string>& soundList,
                std::vector<std::string>* warnings = nullptr);

// Writes Destin/Sound.bin from SndFile.lst and the copies, and the packing
// log Trash/Sound_Drill.out. Progress and errors go to the log of `sink`.
void writeSoundImage(const WorkPaths& paths, const std::tm& date, ProgressSink& sink);

}  // namespace dm::sound
