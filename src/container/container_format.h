// The on-disk format of the drill container, shared by its writer and its
// readers: header fields, the component slots, the reserve between images,
// the magic text, the trailer and the header scrambling constants.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "work/work_files.h"

namespace dm::container {

// Header.
inline constexpr std::uint32_t kHeaderBytes = 416;
inline constexpr std::uint32_t kSlotCount = 21;
inline constexpr std::uint32_t kSlotBytes = 16;
inline constexpr std::uint32_t kDirectoryOffset = 16;
inline constexpr std::uint32_t kMenuLocationOffset = 352;
inline constexpr std::uint32_t kMenuLocationUnits = 16;
inline constexpr std::uint32_t kTotalSizeOffset = 384;
inline constexpr std::uint32_t kMagicOffset = 388;
inline constexpr std::uint32_t kGuidOffset = 400;

inline constexpr std::uint8_t kFormatByte = 1;      // offsets 0 and 9
inline constexpr std::uint8_t kSoundFlag = 0x80;    // offset 3
inline constexpr std::uint32_t kNoHowToUse = 0xFFFFFFFF;  // offset 4
inline constexpr std::uint8_t kCoverColour = 0x20;  // offset 8
inline constexpr std::uint8_t kCoverMono = 0x01;

// The magic text; each character is stored as its code minus 0x41.
inline constexpr std::string_view kMagicText = "MirvaUDict10";
inline constexpr std::uint8_t kMagicShift = 0x41;

// Zero bytes after every component image except the last.
inline constexpr std::uint32_t kReserveBytes = 5120;

// Checksum and trailer at the end of the file.
inline constexpr std::uint32_t kChecksumBytes = 4;
inline constexpr std::uint32_t kTrailerBytes = 32;

// Component slots in directory order: identifier and file in Destin (the
// entry name of the component in the container).
struct SlotSpec {
  std::uint16_t id;
  const char* file;  // null: never listed
};
inline constexpr std::array<SlotSpec, kSlotCount> kSlots{{
    {0x1000, workfiles::kDicImage}, {0x1001, workfiles::kMenuImage},    {0x1002, "Menu2.bin"},  {0x1003, "Menu3.bin"},
    {0x1004, "Menu4.bin"},   {0x2000, workfiles::kItemAddrImage}, {0x0002, workfiles::kIndexImage},
    {0x4000, workfiles::kFontImage},
    {0x4001, "Icon.bin"},    {0x5000, "Bitmap.bin"},  {0x6000, workfiles::kWordLibImage}, {0x6001, workfiles::kTagRuleImage},
    {0x3000, "Patch.bin"},   {0x3001, workfiles::kSoundImage}, {0x3002, workfiles::kExtBmpImage}, {0x3003, nullptr},
    {0x3004, nullptr},       {0x3005, nullptr},       {0x3006, nullptr},      {0x3007, nullptr},
    {0x3008, nullptr},
}};
enum Slot : int {
  kSlotDic = 0,
  kSlotMenu = 1,
  kSlotMenu2,
  kSlotMenu3,
  kSlotMenu4,
  kSlotItemAddr = 5,
  kSlotIndex = 6,
  kSlotFont = 7,
  kSlotIcon = 8,
  kSlotBitmap = 9,
  kSlotWordLib = 10,
  kSlotTagRule = 11,
  kSlotPatch = 12,
  kSlotSound = 13,
  kSlotExtBmp = 14,
};
inline constexpr std::uint8_t kWordLibSlotByte = 3;  // offset 10 of the WordLib.bin slot

// Header scrambling: the key text (eight bytes as hex pairs), the nibble
// substitution, the marker and the check value.
inline constexpr std::string_view kKeyText = "198604220317efab";
inline constexpr std::size_t kKeyBytes = 8;
inline constexpr std::array<std::uint8_t, 16> kSubstitution{14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7};
inline constexpr std::string_view kMarker = "VELMOR ENCRYPT";
inline constexpr std::uint32_t kMarkerOffset = 322;
inline constexpr std::uint32_t kMarkerEnd = 336;      // first scrambled byte after the marker
inline constexpr std::uint32_t kCheckValueOffset = 350;
inline constexpr std::uint32_t kScrambledEnd = 352;   // bytes from here on are copied
inline constexpr std::uint32_t kCheckedBytes = 8;     // scrambled bytes that enter the check value
inline constexpr std::uint16_t kSumBase = 0xA5A5;     // check value and trailer sums: base minus sum

// Trailer: sparse sums over the bytes at multiples of these offsets.
inline constexpr std::uint32_t kSparseStep1 = 0x10000;
inline constexpr std::uint32_t kSparseStep2 = 0x20000;
inline constexpr std::uint32_t kSparseStep3 = 0x30000;
inline constexpr std::uint32_t kTrailerFill = 0x80808080;

}  // namespace dm::container
