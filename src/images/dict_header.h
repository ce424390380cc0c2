// Reader of the compiler's dict.h: the block size of the word libraries,
// the four decoding tables (DICT_WDNO, WDL_SHORT_LONG_OFFSET, DICT_DSP,
// DICT_DSP_OFF), the library names and the WdBaseNo library numbers.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

namespace fs = std::filesystem;

// One array of dict.h: the declared second dimension and the rows.
struct DictTable {
  std::uint32_t columns = 0;
  std::vector<std::vector<std::uint32_t>> rows;
};

inline constexpr int kDictTableCount = 4;
// The arrays in image order and the byte size of their elements.
inline constexpr std::array<const char*, kDictTableCount> kDictTableNames{"DICT_WDNO", "WDL_SHORT_LONG_OFFSET",
                                                                          "DICT_DSP", "DICT_DSP_OFF"};
inline constexpr std::array<std::uint8_t, kDictTableCount> kDictElementBytes{1, 4, 1, 4};

struct DictHeader {
  std::uint32_t blockRecord = 0;  // WORDLIB_BLOCKRECORD
  std::array<DictTable, kDictTableCount> tables;
  // Per DICT_WDNO row, the library named in its comment: the text after "//"
  // up to the '.', for example "WDL_a1".
  std::vector<std::string> libraries;
};

// The file of the library that dict.h names `library` ("WDL_a1") with `ext`:
// the compiler writes it as "wdl_a1" + ext (workfiles::wordLibFile). A name
// without the "WDL_" prefix is taken as the file's name.
std::string libraryFile(std::string_view library, std::string_view ext);

// Parses dict.h. Malformed or missing parts leave their fields empty or 0.
DictHeader parseDictHeader(std::istream& in);
// Reads dict.h from a file; nothing when it cannot be opened.
std::optional<DictHeader> readDictHeader(const fs::path& path);

// The library numbers of the WdBaseNo table, one per line between its
// opening lines and the line holding "}" (the leading decimal number of the
// line once blanks and commas are removed; 0 when there is none).
std::vector<int> parseWdBaseNumbers(std::istream& in);

}  // namespace dm
