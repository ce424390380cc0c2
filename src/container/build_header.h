// BuildHeader: the record of one build that the final assembly fills and the
// container writer and the item address image read.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "work/build_options.h"
#include "work/work_files.h"

namespace dm::container {

namespace fs = std::filesystem;

struct BuildHeader {
  std::string name = kInternalName;
  fs::path workRoot;

  std::uint8_t linkNumberWidth = 8;
  std::uint8_t subNumberWidth = 4;
  std::uint8_t entryNumberWidth = 8;
  std::uint8_t tableWriterType = 2;  // first byte of romWidths

  // Further fields of the item address image; 0 in a drill build.
  std::array<std::uint8_t, 4> furtherWidths{};
  std::uint8_t lineTableSelector = 0;
  std::array<std::uint8_t, 5> furtherBytes{};
  std::uint16_t furtherField = 0;
  std::uint8_t fiftyLineFlag = 0;

  // Written into Index.bin.
  std::uint8_t indexSettings = 1;
  std::uint8_t indexOption = 0;

  // Body marks of Dic.bin, Menu.bin, Menu2.bin, Menu3.bin, Menu4.bin.
  std::array<std::uint8_t, 5> bodyMarks{};
  std::uint8_t fontsMark = 0;
  std::uint8_t iconsMark = 0;
  std::uint8_t bitmapsMark = 0;
  std::uint8_t patchMark = 0;
  std::uint8_t soundMark = 0;
  BitmapParams bitmapParams;

  // The drill body's output files (names in Destin/Dict) for the item
  // address image.
  std::vector<std::string> entryAddressFiles;
  std::vector<std::string> lineTableFiles;
  std::vector<std::string> fiftyLineFiles;
  std::vector<std::string> wordLibFiles;

  // A header with the widths and marks copied from `options`.
  static BuildHeader from(const BuildOptions& options, const fs::path& workRoot) {
    BuildHeader h;
    h.workRoot = workRoot;
    h.linkNumberWidth = options.linkNumberWidth;
    h.subNumberWidth = options.subNumberWidth;
    h.entryNumberWidth = options.entryNumberWidth;
    h.tableWriterType = options.romWidths[0];
    h.soundMark = options.soundPhase;
    return h;
  }
};

}  // namespace dm::container
