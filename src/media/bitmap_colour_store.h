// The colour picture store: the pictures of the other-picture list, already
// converted by the picture library into Middata/BmpExt, joined into
// Destin/BmpExt/bitmap.dat with the address table bitmap.add.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace dm::bitmap {

namespace fs = std::filesystem;

// Appends the converted file of every entry ("%04x" picture number, then the
// file name) to `destFolder`/bitmap.dat and writes its address line
// "%06x\t%06x\t%04x\t%04x" (number, data offset, the two size values of
// CheckFileFormat) to bitmap.add, then the end line "FFFFFF\t<total>\t0000\t0000".
// Offsets and the total are six-digit fields: a picture whose data would end
// beyond 0xFFFFFF is left out of the store with a message on `log`. A
// missing file contributes no bytes and size values 0.
void writeColourStore(const std::vector<std::u16string>& entries, const fs::path& sourceFolder,
                      const fs::path& destFolder, std::ostream& log);

}  // namespace dm::bitmap
