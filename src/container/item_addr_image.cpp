#include "container/item_addr_image.h"

#include <fstream>
#include <optional>

#include "textio/byte_order.h"
#include "images/component_converter.h"
#include "images/work_file.h"
#include "platform/failure.h"

namespace dm::container {

namespace {

std::uint32_t dataLines(const fs::path& dictDir, const char* name, const fs::path& image) {
  std::optional<ComponentResult> r = measureComponent(dictDir / name, kHexNibbles);
  return r ? checked32(r->lines, image.string()) : 0;
}

}  // namespace

void buildItemAddrImage(const fs::path& dictDir, const BuildHeader& header, ProgressSink& sink) {
  std::array<fs::path, kItemAddrMembers> paths;
  std::array<std::optional<std::uint64_t>, kItemAddrMembers> present;
  {
    std::ofstream errors(dictDir / workfiles::kItemAddrErrors, std::ios::trunc);
    for (int s = 0; s < kItemAddrMembers; ++s)
      if (kItemAddrMemberNames[s]) paths[s] = dictDir / kItemAddrMemberNames[s];
    for (const auto* list : {&header.entryAddressFiles, &header.lineTableFiles, &header.fiftyLineFiles,
                             &header.wordLibFiles}) {
      for (const std::string& file : *list) {
        for (int s = 0; s < kItemAddrMembers; ++s) {
          if (!kItemAddrMemberNames[s] || lowerAscii(file) != lowerAscii(kItemAddrMemberNames[s])) continue;
          std::optional<ComponentResult> r = ConvertComponent(paths[s], kHexNibbles);
          if (r) present[s] = r->size;
          else errors << paths[s].string() << "\n";
        }
      }
    }
  }

  const fs::path image = dictDir / workfiles::kItemAddrImage;
  std::ofstream out(image, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure("can't create file " + image.string());
  std::string b;
  appendByte(b, header.linkNumberWidth);
  appendByte(b, header.subNumberWidth);
  appendByte(b, header.tableWriterType);
  for (std::uint8_t w : header.furtherWidths) appendByte(b, w);
  appendLE32(b, dataLines(dictDir, workfiles::kEntryAddressData, image));
  appendLE16(b, header.entryNumberWidth);
  appendByte(b, header.lineTableSelector);
  for (std::uint8_t v : header.furtherBytes) appendByte(b, v);
  appendLE32(b, header.lineTableSelector != '0' ? dataLines(dictDir, workfiles::kEntryLineData, image) : 0);
  appendLE16(b, header.furtherField);
  appendByte(b, header.fiftyLineFlag);
  appendLE32(b, header.fiftyLineFlag ? dataLines(dictDir, workfiles::kFiftyLineIndex, image) : 0);
  appendZeros(b, kItemAddrDirectoryOffset - b.size());

  std::uint64_t offset = kItemAddrDataOffset;
  for (int s = 0; s < kItemAddrMembers; ++s) {
    appendLE32(b, present[s] ? checked32(offset, image.string()) : 0);
    appendLE32(b, present[s] ? checked32(*present[s], image.string()) : 0);
    if (present[s]) offset += *present[s];
  }
  checked32(offset, image.string());
  appendZeros(b, kItemAddrDataOffset - b.size());
  out.write(b.data(), static_cast<std::streamsize>(b.size()));
  for (int s = 0; s < kItemAddrMembers; ++s) {
    if (!present[s]) continue;
    const fs::path converted = convertedPath(paths[s]);
    if (!copyFileBytes(converted, *present[s], out)) sink.log("No such file! " + converted.string());
    std::error_code ec;
    fs::remove(converted, ec);
  }
  out.flush();
  requireWritten(out, image);
}

}  // namespace dm::container
