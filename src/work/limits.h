// Size limits that more than one phase enforces: the source text the check
// pass accepts and the byte totals of the listed pictures and sounds (the
// pre-build checks, the record check and the media registration).
#pragma once

#include <cstdint>

namespace dm {

// The largest source text accepted, in bytes. Word selection needs memory
// and time in proportion to the text; at this size its peak stays well
// under 2 GB even for a text made of one phrase repeated.
inline constexpr std::uint64_t kMaxSourceBytes = 16u * 1024 * 1024;

// The most bytes of pictures and of sounds that one drill may hold.
inline constexpr std::uint64_t kMaxPictureBytes = 838860800;  // 800 MiB
inline constexpr std::uint64_t kMaxSoundBytes = 1073741824;   // 1 GiB

}  // namespace dm
