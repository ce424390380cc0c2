#include "container/container_writer.h"

#include <fstream>
#include <vector>

#include "container/checksum.h"
#include "container/scrambler.h"
#include "textio/byte_order.h"
#include "images/work_file.h"
#include "platform/failure.h"

namespace dm::container {

namespace {

bool listedBy(int slot, const BuildHeader& h, const ContainerSettings& s) {
  switch (slot) {
    case kSlotDic:
    case kSlotItemAddr:
    case kSlotIndex:
    case kSlotWordLib:
    case kSlotTagRule:
      return true;
    case kSlotMenu:
    case kSlotMenu2:
    case kSlotMenu3:
    case kSlotMenu4:
      return h.bodyMarks[slot - kSlotDic] != 0;
    case kSlotFont:
      return h.fontsMark || h.iconsMark || h.bitmapsMark;
    case kSlotIcon:
      return h.iconsMark != 0;
    case kSlotBitmap:
      return h.bitmapsMark != 0;
    case kSlotPatch:
      return h.patchMark != 0;
    case kSlotSound:
      return h.soundMark != 0;
    case kSlotExtBmp:
      return s.otherPicturesListed;
    default:
      return false;
  }
}

// The report name of an image: its file name up to the last '.'.
std::string reportName(const fs::path& path) { return path.stem().string(); }

// Writes to the .pre file while keeping the checksum and the trailer sums.
class SummingWriter {
 public:
  explicit SummingWriter(std::ofstream& out) : out_(out) {}
  void write(const char* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
    checksum_.update(bytes, size);
    trailer_.update(bytes, size);
    out_.write(data, static_cast<std::streamsize>(size));
  }
  void write(const std::string& bytes) { write(bytes.data(), bytes.size()); }
  void zeros(std::uint64_t count) {
    static const std::vector<char> zero(1 << 16, '\0');
    while (count > 0) {
      std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, zero.size()));
      write(zero.data(), n);
      count -= n;
    }
  }
  // Copies `size` bytes of `file`, completing a missing or short file with
  // zeros so that the directory stays true. False when it cannot be opened.
  bool copy(const fs::path& file, std::uint64_t size) {
    std::ifstream in(file, std::ios::binary);
    const bool opened = static_cast<bool>(in);
    std::vector<char> buffer(1 << 20);
    while (size > 0 && in) {
      std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, buffer.size()));
      in.read(buffer.data(), static_cast<std::streamsize>(want));
      std::size_t got = static_cast<std::size_t>(in.gcount());
      write(buffer.data(), got);
      size -= got;
      if (got < want) break;
    }
    zeros(size);
    return opened;
  }
  std::uint64_t position() const { return trailer_.size(); }
  const Checksum& checksum() const { return checksum_; }
  TrailerSums& trailer() { return trailer_; }

 private:
  std::ofstream& out_;
  Checksum checksum_;
  TrailerSums trailer_;
};

}  // namespace

SlotTable listComponents(const fs::path& destin, const BuildHeader& header, const ContainerSettings& settings,
                         SizeReports& reports) {
  std::ofstream missing(destin / workfiles::kMissingImages, std::ios::trunc);
  SlotTable slots;
  for (int s = 0; s < static_cast<int>(kSlotCount); ++s) {
    ComponentSlot& slot = slots[s];
    slot.id = kSlots[s].id;
    if (!kSlots[s].file) continue;
    slot.path = destin / kSlots[s].file;
    slot.listed = listedBy(s, header, settings);
    if (!slot.listed) continue;
    std::ifstream probe(slot.path, std::ios::binary);
    std::optional<std::uint64_t> size = regularFileSize(slot.path);
    if (!probe || !size) {
      missing << slot.path.string() << "\n";
      continue;
    }
    slot.found = true;
    slot.size = *size;
    if (upperAscii(slot.path.filename().string()).find("INDEX") == std::string::npos)
      reports.size(reportName(slot.path), checked32(slot.size, slot.path.string()));
  }
  return slots;
}

std::uint64_t layoutSlots(SlotTable& slots) {
  std::uint64_t offset = kHeaderBytes, end = kHeaderBytes;
  for (ComponentSlot& slot : slots) {
    if (!slot.listed) continue;
    slot.offset = offset;
    checked32(slot.offset, "container");
    checked32(slot.size, "container");
    if (slot.size > 0) end = offset + slot.size;
    offset += slot.size + kReserveBytes;
  }
  return end;
}

std::string containerHeader(const SlotTable& slots, const BuildHeader& header, const ContainerSettings& settings,
                            std::uint32_t totalSize, const platform::Guid& guid) {
  std::string h;
  appendByte(h, kFormatByte);
  appendLE16(h, kSlotCount);
  appendByte(h, header.soundMark ? kSoundFlag : 0);
  appendLE32(h, settings.howToUsePresent ? settings.entryCount - 1 : kNoHowToUse);
  appendByte(h, settings.coverPictureListed ? (settings.coverPictureColour ? kCoverColour : kCoverMono) : 0);
  appendByte(h, kFormatByte);
  appendLE16(h, 0);
  appendLE32(h, 0);
  for (int s = 0; s < static_cast<int>(kSlotCount); ++s) {
    const ComponentSlot& slot = slots[s];
    appendLE16(h, slot.id);
    if (!slot.listed) {
      appendZeros(h, kSlotBytes - 2);
      continue;
    }
    appendLE32(h, checked32(slot.offset, "container"));
    appendLE32(h, checked32(slot.size, "container"));
    appendByte(h, s == kSlotItemAddr ? header.linkNumberWidth : s == kSlotWordLib ? kWordLibSlotByte : 0);
    appendByte(h, s == kSlotItemAddr ? header.subNumberWidth : 0);
    appendZeros(h, 4);
  }
  for (std::uint32_t i = 0; i < kMenuLocationUnits; ++i)
    appendLE16(h, i < settings.menuLocation.size() ? settings.menuLocation[i] : 0);
  appendLE32(h, totalSize);
  for (char c : kMagicText) appendByte(h, static_cast<std::uint8_t>(c - kMagicShift));
  appendBE32(h, guid.data1);
  appendBE16(h, guid.data2);
  appendBE16(h, guid.data3);
  for (std::uint8_t b : guid.data4) appendByte(h, b);
  return h;
}

void writeContainer(const fs::path& destin, SlotTable& slots, const BuildHeader& header,
                    const ContainerSettings& settings, SizeReports& reports, const platform::Guid& guid,
                    const std::tm& when, ProgressSink& sink) {
  const fs::path pre = destin / workfiles::kContainerDraft;
  std::ofstream out(pre, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure("can't create file " + pre.string());

  const std::uint64_t end = layoutSlots(slots);
  const std::uint32_t total = checked32(end + kChecksumBytes + kTrailerBytes, pre.string());
  SummingWriter writer(out);
  writer.write(containerHeader(slots, header, settings, total, guid));
  std::uint64_t reserve = 0;
  for (const ComponentSlot& slot : slots) {
    if (!slot.listed) continue;
    reserve += kReserveBytes;
    if (slot.size == 0) continue;
    writer.zeros(slot.offset - writer.position());
    if (!writer.copy(slot.path, slot.size)) sink.log("No such file! " + slot.path.string());
  }
  std::string checksum;
  appendLE32(checksum, writer.checksum().value());
  writer.write(checksum);
  const std::string trailer = writer.trailer().trailer(when);
  out.write(trailer.data(), static_cast<std::streamsize>(trailer.size()));
  out.flush();
  requireWritten(out, pre);
  out.close();

  if (reserve > 0) reserve -= kReserveBytes;
  reports.size("DataMap Reserve Space", checked32(reserve, pre.string()));

  const fs::path bin = destin / workfiles::kContainer;
  scramble(pre, bin, kKeyText);
}

}  // namespace dm::container
