#include "intake/sound_file.h"

#include <array>
#include <cstdint>
#include <istream>
#include <string>

#include "pictures/riff_chunk.h"
#include "platform/platform.h"

namespace dm {

namespace {

constexpr std::uint32_t kSyncMask = 0xFFE00000;
// Bits compared between frame headers: 31-30, 19-18 (version and layer) and
// 11-9 (sample rate and padding). The bitrate may differ.
constexpr std::uint32_t kAgreeMask = 0xC00C0E00;
constexpr std::size_t kRememberedHeaders = 10;
constexpr std::uint64_t kLargeTag = 2048;

std::uint32_t bigEndian32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | std::uint32_t{p[3]};
}

bool isLayer3Header(std::uint32_t v) {
  return (v & kSyncMask) == kSyncMask && ((v >> 17) & 3) == 1 && ((v >> 12) & 0xF) != 15 &&
         ((v >> 10) & 3) != 3 && (v & 3) != 2;
}

// Size of an ID3v2 tag at the start of `block` (header and footer included),
// or 0 when the block does not begin with one.
std::uint64_t id3TagSize(std::string_view block) {
  if (block.size() < 10 || block.substr(0, 3) != "ID3") return 0;
  const auto* b = reinterpret_cast<const unsigned char*>(block.data());
  std::uint64_t size = std::uint64_t{b[6] & 0x7Fu} << 21 | std::uint64_t{b[7] & 0x7Fu} << 14 |
                       std::uint64_t{b[8] & 0x7Fu} << 7 | std::uint64_t{b[9] & 0x7Fu};
  size += 10;
  if (b[5] & 0x10) size += 10;
  return size;
}

std::string readBlock(std::istream& in) {
  std::string block(kSoundCheckBlock, '\0');
  in.read(block.data(), static_cast<std::streamsize>(block.size()));
  block.resize(static_cast<std::size_t>(in.gcount()));
  return block;
}

std::string upperAscii(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

int checkMp3(std::istream& in) {
  std::string block = readBlock(in);
  if (block.empty()) return 0;
  // A large ID3v2 tag is skipped: the check reads the block after it.
  std::uint64_t blockStart = 0;
  for (std::uint64_t tag = id3TagSize(block); tag >= kLargeTag; tag = id3TagSize(block)) {
    blockStart += tag;
    in.clear();
    in.seekg(static_cast<std::streamoff>(blockStart));
    if (!in) return -1;
    block = readBlock(in);
  }
  return mp3HeadersAgree(block) ? 0 : -1;
}

}  // namespace

bool mp3HeadersAgree(std::string_view block) {
  std::array<std::uint32_t, kRememberedHeaders> remembered{};
  std::size_t count = 0;
  const auto* b = reinterpret_cast<const unsigned char*>(block.data());
  for (std::size_t k = 0; k + 4 <= block.size(); ++k) {
    const std::uint32_t v = bigEndian32(b + k);
    if (!isLayer3Header(v)) continue;
    for (std::size_t r = 0; r < count; ++r) {
      if ((remembered[r] & kAgreeMask) == (v & kAgreeMask)) return true;
    }
    if (count < kRememberedHeaders) remembered[count++] = v;
  }
  return false;
}

bool rmpBlockValid(std::string_view block) {
  return block.size() >= kRmpFirstChunk && block.substr(0, 4) == "RIFF" && block.substr(8, 4) == "RMP3" &&
         findRiffDataChunk(block, kRmpFirstChunk).has_value();
}

int CheckSoundFile(const std::filesystem::path& path) {
  const std::string upper = upperAscii(path.string());
  platform::InputFile in(path);
  if (!in.is_open()) return -1;
  if (upper.find(".MP3") != std::string::npos) return checkMp3(in);
  if (upper.find(".RMP") != std::string::npos) {
    const std::string block = readBlock(in);
    if (block.empty()) return 0;
    return rmpBlockValid(block) ? 0 : -1;
  }
  return -3;
}

}  // namespace dm
