#include "images/wordlib_image.h"

#include <fstream>

#include "images/work_file.h"
#include "platform/failure.h"
#include "textio/byte_order.h"
#include "work/work_files.h"

namespace dm {

namespace {

void appendElement(std::string& out, std::uint32_t value, std::uint8_t bytes) {
  if (bytes == 1) appendByte(out, value);
  else appendLE32(out, value);
}

}  // namespace

std::string wordLibTableBytes(const DictHeader& header, std::uint64_t base) {
  std::string descriptors, tables;
  std::uint64_t offset = base + kTableBlockBytes;
  for (int t = 0; t < kDictTableCount; ++t) {
    const DictTable& table = header.tables[t];
    const std::uint8_t elementBytes = kDictElementBytes[t];
    const std::uint64_t rowBytes = std::uint64_t{elementBytes} * table.columns;
    const std::uint64_t size = rowBytes * table.rows.size();
    appendLE32(descriptors, checked32(offset, kDictTableNames[t]));
    appendLE32(descriptors, checked32(size, kDictTableNames[t]));
    appendLE16(descriptors, checked16(table.rows.size(), kDictTableNames[t]));
    appendByte(descriptors, elementBytes);
    appendByte(descriptors, table.columns);
    appendLE32(descriptors, 0);
    for (const auto& row : table.rows)
      for (std::uint32_t c = 0; c < table.columns; ++c) appendElement(tables, c < row.size() ? row[c] : 0, elementBytes);
    offset += size;
  }
  return descriptors + tables;
}

std::vector<LibraryFiles> convertLibraries(const fs::path& dir, const DictHeader& header) {
  std::vector<LibraryFiles> libs;
  for (const std::string& name : header.libraries) {
    LibraryFiles f;
    f.dat = dir / libraryFile(name, workfiles::kWordListExt);
    f.cod = dir / libraryFile(name, workfiles::kCharCodeExt);
    f.sdx = dir / libraryFile(name, workfiles::kWordIndexExt);
    f.datResult = ConvertComponent(f.dat, kHexNibbles);
    f.codResult = ConvertComponent(f.cod, kHexNibbles);
    f.sdxResult = ConvertComponent(f.sdx, kHexTriplets);
    libs.push_back(std::move(f));
  }
  return libs;
}

void BuildWordLibImage(const fs::path& dictOutDir) {
  const fs::path image = dictOutDir / workfiles::kWordLibImage;
  std::ofstream out(image, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure("can't create file " + image.string());
  std::ofstream errors(dictOutDir / workfiles::kLibErrors, std::ios::trunc);

  DictHeader header = readDictHeader(dictOutDir / workfiles::kDictHeader).value_or(DictHeader{});
  std::string bytes = wordLibTableBytes(header, 0);
  appendByte(bytes, kWordLibMark);
  appendByte(bytes, header.blockRecord);

  std::vector<LibraryFiles> libs = convertLibraries(dictOutDir, header);
  std::uint64_t offset = bytes.size() + 32ull * libs.size();
  std::vector<std::pair<fs::path, std::uint64_t>> data;
  auto place = [&](const fs::path& source, const std::optional<ComponentResult>& r, std::string& entry) {
    if (!r) {
      errors << source.string() << "\n";
      appendLE32(entry, 0);
      appendLE32(entry, 0);
      return;
    }
    appendLE32(entry, checked32(offset, image.string()));
    appendLE32(entry, checked32(r->size, image.string()));
    data.emplace_back(convertedPath(source), r->size);
    offset += r->size;
  };
  for (const LibraryFiles& lib : libs) {
    std::string entry;
    appendLE32(entry, checked32(lib.codResult ? lib.codResult->lines : 0, image.string()));
    appendLE32(entry, checked32(lib.sdxResult ? lib.sdxResult->lines : 0, image.string()));
    place(lib.dat, lib.datResult, entry);
    place(lib.cod, lib.codResult, entry);
    place(lib.sdx, lib.sdxResult, entry);
    bytes += entry;
  }
  checked32(offset, image.string());
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  for (const auto& [converted, size] : data) {
    copyFileBytes(converted, size, out);
    std::error_code ec;
    fs::remove(converted, ec);
  }
  out.flush();
  requireWritten(out, image);
}

}  // namespace dm
