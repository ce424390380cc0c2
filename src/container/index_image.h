// Index.bin of a drill build: an index member table without members.
#pragma once

#include <string>

#include "container/build_header.h"

namespace dm::container {

inline constexpr std::uint32_t kIndexKindSlots = 33;
inline constexpr std::uint8_t kIndexFormatByte = 3;

// The 80 bytes: member count 0, 33 kind slots 0xFFFF, 6 zero bytes, the
// index settings and option bytes, 3, 0 and two zero bytes.
std::string indexImageBytes(const BuildHeader& header);

// Writes `path`; throws PassFailure when it cannot be written.
void writeIndexImage(const fs::path& path, const BuildHeader& header);

}  // namespace dm::container
