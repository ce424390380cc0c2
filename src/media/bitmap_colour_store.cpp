#include "media/bitmap_colour_store.h"

#include <cstdio>
#include <fstream>

#include "media/bitmap_tables.h"
#include "pictures/picture_library.h"
#include "textio/wide_line.h"
#include "textio/tokenizer.h"
#include "work/work_files.h"
#include "textio/format.h"

namespace dm::bitmap {

namespace {

bool parseNumber(std::u16string_view entry, std::uint32_t& number) { return parseHexPrefix(entry, 4, number); }

// A plain file name: nothing that leaves the folder.
bool plainName(const std::string& name) {
  return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

std::uint32_t sizeField(std::int32_t v) { return v >= 0 && v <= 0xFFFF ? static_cast<std::uint32_t>(v) : 0; }

}  // namespace

void writeColourStore(const std::vector<std::u16string>& entries, const fs::path& sourceFolder,
                      const fs::path& destFolder, std::ostream& log) {
  std::error_code ec;
  fs::create_directories(destFolder, ec);
  std::ofstream data(destFolder / workfiles::kColourData, std::ios::binary | std::ios::trunc);
  std::ofstream add(destFolder / workfiles::kColourAddressTable, std::ios::binary | std::ios::trunc);
  std::uint64_t offset = 0;
  std::vector<char> buffer(1 << 16);
  for (const std::u16string& entry : entries) {
    std::uint32_t number = 0;
    if (!parseNumber(entry, number)) continue;
    const std::string name = utf16ToUtf8(std::u16string_view(entry).substr(4));
    const fs::path file = sourceFolder / name;
    std::uint64_t size = 0;
    std::ifstream in;
    if (plainName(name)) {
      in.open(file, std::ios::binary);
      if (in) {
        const auto s = fs::file_size(file, ec);
        if (!ec) size = s;
      }
    }
    if (offset + size > kMaxSixDigits) {
      log << "Colour picture store is full: " << name << "\n";
      continue;
    }
    PictureInfo info;
    if (in && CheckFileFormat(file, info) < 1) info = PictureInfo{};
    add << formatted("%06llx\t%06llx\t%04x\t%04x\n", static_cast<unsigned long long>(number),
                     static_cast<unsigned long long>(offset), sizeField(info.width), sizeField(info.height));
    // Copy exactly the measured bytes, so the table matches the data even if
    // the file changes meanwhile.
    std::uint64_t left = size;
    while (left > 0 && in) {
      in.read(buffer.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(left, buffer.size())));
      const auto got = static_cast<std::uint64_t>(in.gcount());
      if (got == 0) break;
      data.write(buffer.data(), static_cast<std::streamsize>(got));
      left -= got;
    }
    for (; left > 0; --left) data.put('\0');
    offset += size;
  }
  add << formatted("FFFFFF\t%06llx\t0000\t0000\n", static_cast<unsigned long long>(offset));
}

}  // namespace dm::bitmap
