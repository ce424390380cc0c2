// WordLib.bin: the decoding tables of dict.h and the word libraries (.dat,
// .cod, .sdx) converted to bytes. Menu.bin embeds the same tables.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "images/component_converter.h"
#include "images/dict_header.h"

namespace dm {

namespace fs = std::filesystem;

inline constexpr std::uint32_t kTableDescriptorBytes = 16;
inline constexpr std::uint32_t kTableBlockBytes = kTableDescriptorBytes * kDictTableCount;  // 64
inline constexpr std::uint8_t kWordLibMark = 6;

// The 64-byte descriptor block and the four tables, every table offset
// counted as if the block started at `base`. Each row is stored with the
// declared number of columns (missing values 0, extra ones dropped).
std::string wordLibTableBytes(const DictHeader& header, std::uint64_t base);

// The converted files of one word library.
struct LibraryFiles {
  fs::path dat, cod, sdx;  // the source tables
  std::optional<ComponentResult> datResult, codResult, sdxResult;
};

// Converts the .dat (kind 0), .cod (kind 0) and .sdx (kind 4) files of every
// library of `header` in <dir> (libraryFile names them).
std::vector<LibraryFiles> convertLibraries(const fs::path& dir, const DictHeader& header);

// Builds <dictOutDir>/WordLib.bin from <dictOutDir>/dict.h and the library
// files: descriptors, tables, the bytes 6 and WORDLIB_BLOCKRECORD, a
// 32-byte directory entry per library, then the library data. A library
// file that cannot be converted gets offset and size 0 and its path goes to
// <dictOutDir>/Liberror.txt. Throws PassFailure "can't create
// file <WordLib.bin>" when WordLib.bin cannot be created, and when writing
// it fails.
void BuildWordLibImage(const fs::path& dictOutDir);

}  // namespace dm
