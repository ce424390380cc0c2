#include "images/menu_image.h"

#include <fstream>
#include <optional>
#include <vector>

#include "images/component_converter.h"
#include "images/dict_header.h"
#include "images/tagrule_image.h"
#include "images/wordlib_image.h"
#include "images/work_file.h"
#include "platform/failure.h"
#include "textio/byte_order.h"
#include "work/build_options.h"
#include "work/work_files.h"

namespace dm {

namespace {

constexpr std::uint8_t kMenuParamMark = 6;
constexpr std::uint8_t kMenuIndexParam = 5;

// Slots of the menu components whose line counts the parameter block carries.
constexpr int kSlotItemAddresses = 1;  // menu_item.add
constexpr int kSlotWdIdx = 17;         // wd_idx.dat
constexpr int kSlotWordType = 20;      // word_type.dat
constexpr int kSlotWdSpell = 27;       // wd_spell.mrk
constexpr int kSlotClassify = 28;      // Classify.iex
constexpr int kSlotMenuSpeed = 29;     // Menu_Speed.lv1

std::uint32_t dataLines(const fs::path& menuDir, int slot, const fs::path& image) {
  std::optional<ComponentResult> r = measureComponent(menuDir / workfiles::kMenuSlotNames[slot], kHexNibbles);
  return r ? checked32(r->lines, image.string()) : 0;
}

}  // namespace

MenuImageParams MenuImageParams::from(const MenuParams& block) {
  MenuImageParams p;
  p.levelWidth = block.bytes[0];
  p.typeWidth = block.bytes[1];
  p.linkWidth = block.bytes[2];
  p.fourth = block.bytes[3];
  p.addressWriterType = block.bytes[4];
  return p;
}

std::string menuParamBlock(const MenuImageParams& params, std::uint32_t blockRecord, const MenuLineCounts& counts) {
  std::string b;
  appendByte(b, kMenuParamMark);
  appendByte(b, blockRecord);
  appendByte(b, params.levelWidth);
  appendByte(b, params.typeWidth);
  appendByte(b, params.linkWidth);
  appendByte(b, params.fourth);
  appendLE32(b, counts.items);
  appendByte(b, params.addressWriterType);
  appendZeros(b, 4);       // four index parameters
  appendZeros(b, 4 + 4);   // two groups of four one-byte parameters
  appendZeros(b, 8);       // line counts of pidx.trm, rev_pidx.trm, sidx.trm, rev_sidx.trm
  appendZeros(b, 4 + 2);   // two 16-bit parameters, two one-byte parameters
  appendZeros(b, 2);       // line count of spe_suf.trm
  appendZeros(b, 3 + 6);
  appendLE32(b, counts.wdIdx);
  appendZeros(b, 6);
  appendLE32(b, counts.wordType);
  appendZeros(b, 1);
  appendZeros(b, 4);       // line count of Layer_mrk.dat
  appendZeros(b, 5 + 3);
  appendLE32(b, counts.wdSpell);
  appendByte(b, 0);
  appendByte(b, kMenuIndexParam);
  appendLE32(b, counts.classify);
  appendZeros(b, 1);
  appendLE16(b, counts.menuSpeed);
  return b;
}

void BuildMenuImage(const fs::path& menuDir, const MenuImageParams& params, ProgressSink& sink) {
  BuildTagRuleImage(menuDir, workfiles::kMenuTagHeader, false, sink);
  const fs::path image = menuDir / workfiles::kMenuImage;
  std::ofstream out(image, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure("can't create file " + image.string());

  const fs::path tagRule = menuDir / workfiles::kTagRuleImage;
  std::uint64_t tagRuleSize = regularFileSize(tagRule).value_or(0);
  if (tagRuleSize > 0) copyFileBytes(tagRule, tagRuleSize, out);

  DictHeader header = readDictHeader(menuDir / workfiles::kDictHeader).value_or(DictHeader{});

  // Components of a drill build: the packed captions, the entry addresses in
  // the form the address writer produced, and the menu index.
  std::array<bool, workfiles::kMenuSlotCount> wanted{};
  wanted[0] = true;
  if (params.addressWriterType != 0) wanted[2] = wanted[3] = true;
  else wanted[1] = true;
  wanted[4] = true;
  std::array<std::optional<ComponentResult>, workfiles::kMenuSlotCount> converted;
  std::array<fs::path, workfiles::kMenuSlotCount> sources;
  for (int s = 0; s < workfiles::kMenuSlotCount; ++s) {
    sources[s] = menuDir / workfiles::kMenuSlotNames[s];
    if (wanted[s]) converted[s] = ConvertComponent(sources[s], kHexNibbles);
  }

  MenuLineCounts counts;
  counts.items = dataLines(menuDir, kSlotItemAddresses, image);
  counts.wdIdx = dataLines(menuDir, kSlotWdIdx, image);
  counts.wordType = dataLines(menuDir, kSlotWordType, image);
  counts.wdSpell = dataLines(menuDir, kSlotWdSpell, image);
  counts.classify = dataLines(menuDir, kSlotClassify, image);
  counts.menuSpeed = dataLines(menuDir, kSlotMenuSpeed, image) & 0xFFFF;

  std::string bytes = wordLibTableBytes(header, tagRuleSize);
  bytes += menuParamBlock(params, header.blockRecord, counts);

  std::vector<LibraryFiles> libs = convertLibraries(menuDir, header);
  std::uint64_t offset = tagRuleSize + bytes.size() + 8ull * libs.size() + 8ull * workfiles::kMenuSlotCount + 24ull * libs.size();
  std::vector<std::pair<fs::path, std::uint64_t>> data;

  std::string libCounts, slotDir, libDir;
  for (int s = 0; s < workfiles::kMenuSlotCount; ++s) {
    if (!converted[s]) {
      appendLE32(slotDir, 0);
      appendLE32(slotDir, 0);
      continue;
    }
    appendLE32(slotDir, checked32(offset, image.string()));
    appendLE32(slotDir, checked32(converted[s]->size, image.string()));
    data.emplace_back(convertedPath(sources[s]), converted[s]->size);
    offset += converted[s]->size;
  }
  auto place = [&](const fs::path& source, const std::optional<ComponentResult>& r) {
    if (!r) {
      sink.log("No find file:" + source.string());
      appendLE32(libDir, 0);
      appendLE32(libDir, 0);
      return;
    }
    appendLE32(libDir, checked32(offset, image.string()));
    appendLE32(libDir, checked32(r->size, image.string()));
    data.emplace_back(convertedPath(source), r->size);
    offset += r->size;
  };
  for (const LibraryFiles& lib : libs) {
    appendLE32(libCounts, checked32(lib.codResult ? lib.codResult->lines : 0, image.string()));
    appendLE32(libCounts, checked32(lib.sdxResult ? lib.sdxResult->lines : 0, image.string()));
    place(lib.dat, lib.datResult);
    place(lib.cod, lib.codResult);
    place(lib.sdx, lib.sdxResult);
  }
  checked32(offset, image.string());

  bytes += libCounts;
  bytes += slotDir;
  bytes += libDir;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  for (const auto& [file, size] : data) {
    if (!copyFileBytes(file, size, out)) sink.log("No such file! " + file.string());
    std::error_code ec;
    fs::remove(file, ec);
  }
  out.flush();
  requireWritten(out, image);
}

}  // namespace dm
