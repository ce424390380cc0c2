// ItemAddr.bin: the widths of the entry numbers and the entry address tables
// of the drill body, converted to bytes.
#pragma once

#include <array>
#include <filesystem>

#include "container/build_header.h"
#include "work/work_files.h"
#include "work/progress_sink.h"

namespace dm::container {

inline constexpr int kItemAddrMembers = 9;
// Member files in slot order (in Destin/Dict); the last slot names none.
inline constexpr std::array<const char*, kItemAddrMembers> kItemAddrMemberNames{
    workfiles::kEntryAddressData, workfiles::kEntryAddressSegments, workfiles::kEntryAddressOffsets,
    workfiles::kEntryLineData,    workfiles::kEntryLineSegments,    workfiles::kEntryLineOffsets,
    workfiles::kFiftyLineIndex,   workfiles::kFiftyLineAddresses,   nullptr};
inline constexpr std::uint32_t kItemAddrDirectoryOffset = 50;
inline constexpr std::uint32_t kItemAddrDataOffset = 202;

// Builds <dictDir>/ItemAddr.bin. A member is present when its file is on the
// output lists of `header`; it is converted with kind 0 (failures go to
// <dictDir>/Fnterror.txt and leave the slot absent); a converted member that
// cannot be read back logs "No such file! <path>" to `sink`. Throws
// PassFailure when ItemAddr.bin cannot be created ("can't create file
// <path>") or written.
void buildItemAddrImage(const fs::path& dictDir, const BuildHeader& header, ProgressSink& sink);

}  // namespace dm::container
