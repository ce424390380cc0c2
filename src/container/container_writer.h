// The container writer: lists the component images of Destin by slot,
// writes Destin/Drill.pre (header, directory, images with their reserves,
// checksum, trailer) and scrambles it into Destin/Drill.bin.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>

#include "container/build_header.h"
#include "container/container_format.h"
#include "container/size_report.h"
#include "platform/platform.h"
#include "work/progress_sink.h"

namespace dm::container {

namespace fs = std::filesystem;

// What the header takes from the settings line and the media phases.
struct ContainerSettings {
  bool howToUsePresent = false;
  std::uint32_t entryCount = 0;      // entries of the drill, the how-to-use entry included
  std::u16string menuLocation;       // only the first 16 code units are stored
  bool coverPictureListed = false;   // a cover picture is named and is in the media list
  bool coverPictureColour = false;   // the bitmap phase converted it as a colour picture
  bool otherPicturesListed = false;  // the other-picture list is not empty (ExtBmp.bin)
};

struct ComponentSlot {
  std::uint16_t id = 0;
  fs::path path;        // Destin/<file>; empty for the slots that name none
  bool listed = false;
  bool found = false;   // the image could be opened when listed
  std::uint64_t size = 0;
  std::uint64_t offset = 0;
};
using SlotTable = std::array<ComponentSlot, kSlotCount>;

// Fills the slots by the listing rules, measures the listed images, writes
// the path of every listed image that cannot be opened to
// <destin>/MSDerror.txt and a size line per other image (except Index.bin)
// to `reports`.
SlotTable listComponents(const fs::path& destin, const BuildHeader& header, const ContainerSettings& settings,
                         SizeReports& reports);

// Places the listed images: the first at 416, each next one 5,120 bytes
// after the end of the previous one. Returns the end of the last image
// (416 when none has bytes). Throws PassFailure past 32 bits.
std::uint64_t layoutSlots(SlotTable& slots);

// The 416 header bytes before scrambling.
std::string containerHeader(const SlotTable& slots, const BuildHeader& header, const ContainerSettings& settings,
                            std::uint32_t totalSize, const platform::Guid& guid);

// Writes <destin>/Drill.pre and its scrambled copy <destin>/Drill.bin,
// and the "DataMap Reserve Space" size line. A listed image that cannot be
// read any more logs "No such file! <path>" to `sink` and leaves its bytes
// zero. Throws PassFailure when the .pre file cannot be created ("can't
// create file <path>"), when writing fails or when the scrambled copy
// cannot be made.
void writeContainer(const fs::path& destin, SlotTable& slots, const BuildHeader& header,
                    const ContainerSettings& settings, SizeReports& reports, const platform::Guid& guid,
                    const std::tm& when, ProgressSink& sink);

}  // namespace dm::container
