#include "driver/prebuild.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "intake/source_reader.h"
#include "platform/platform.h"
#include "textio/case_fold.h"
#include "textio/wide_line.h"

namespace dm {

namespace {

// The extension of the file name from its last '.', lower-cased ("" if none).
std::string extensionOf(const fs::path& path) {
  std::string name = path.filename().string();
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : lowerCaseUtf8(name.substr(dot));
}

bool isValidUtf8(const std::string& text) { return utf16ToUtf8(utf8ToUtf16(text)) == text; }

// Shift-JIS bytes to UTF-16; ASCII stays as it is, a code without a
// conversion becomes U+FFFD.
std::u16string decodeShiftJisName(const std::string& bytes) {
  std::u16string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out.push_back(static_cast<char16_t>(b));
      continue;
    }
    std::uint16_t code = static_cast<std::uint16_t>(b);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (lead && i + 1 < bytes.size())
      code = static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(bytes[++i]));
    const char16_t unit = decodeSjisCode(code);
    out.push_back(unit != 0 ? unit : u'\uFFFD');
  }
  return out;
}

}  // namespace

std::string mediaKey(const fs::path& path) {
  const std::string name = path.filename().string();
  if (isValidUtf8(name)) return lowerCaseUtf8(name);
  return utf16ToUtf8(lowerCase(decodeShiftJisName(name)));
}

bool isPictureFile(const fs::path& path) {
  std::string ext = extensionOf(path);
  return ext == ".bmp" || ext == ".jpg" || ext == ".jpeg" || ext == ".gif";
}

bool isTextFile(const fs::path& path) { return extensionOf(path) == ".txt"; }

std::string probeName(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3,
                      const std::uint8_t (&data4)[8]) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%08X-%04X-%04X-%01X%01X%01X%01X%01X%01X%01X%01X", data1, data2, data3,
                data4[0], data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
  return buf;
}

bool preBuildChecks(RunState& state, const std::vector<fs::path>& files, const fs::path& documentsFolder,
                    const FreeSpaceFn& freeSpace) {
  const std::optional<std::uint64_t> workFree = freeSpace(state.workBase);
  const std::optional<std::uint64_t> documentsFree = freeSpace(documentsFolder);
  state.resetRunLists();

  // The write probe: a fresh folder in the work base, removed again.
  platform::Guid g = platform::newGuid();
  std::uint8_t last8[8];
  std::copy(g.data4.begin(), g.data4.end(), last8);
  const fs::path probe = state.workBase / probeName(g.data1, g.data2, g.data3, last8);
  std::error_code ec;
  fs::create_directories(state.workBase, ec);
  const bool probeFailed = !fs::create_directory(probe, ec) || ec;
  if (!probeFailed) fs::remove(probe, ec);

  int textFiles = 0;
  std::uint64_t textSize = 0;
  std::vector<fs::path> listed;
  for (const fs::path& entry : files) {
    std::error_code sec;
    fs::file_status st = fs::status(entry, sec);
    if (!sec && fs::exists(st)) {
      const std::uint64_t size = fs::is_regular_file(st) ? fs::file_size(entry, sec) : 0;
      if (isTextFile(entry)) {
        if (textFiles == 0) {
          state.sourceTextPath = entry;
          textSize = sec ? 0 : size;
        }
        ++textFiles;
      } else if (isPictureFile(entry)) {
        state.mediaTotals.pictures += sec ? 0 : size;
      } else {
        state.mediaTotals.sounds += sec ? 0 : size;
      }
    }
    listed.push_back(entry);
  }
  // Sorted by file name without regard to case; ties keep list order.
  std::stable_sort(listed.begin(), listed.end(),
                   [](const fs::path& a, const fs::path& b) { return mediaKey(a) < mediaKey(b); });

  if (textFiles >= 2) {
    state.send(status::kTooManyTexts);
    return false;
  }
  if (textFiles == 0 || textSize == 0) {
    state.send(status::kNoText);
    return false;
  }
  if (probeFailed) {
    state.send(status::kNotWritable);
    return false;
  }

  const std::uint64_t p = std::min(state.mediaTotals.pictures, kPictureTotalCap);
  const std::uint64_t s = std::min(state.mediaTotals.sounds, kSoundTotalCap);
  const std::uint64_t t = textSize;
  if (workFree && *workFree < 5 * p + 3 * s + 30 * t) {
    state.send(status::kDiskFull);
    return false;
  }
  if (documentsFree && *documentsFree < p + s + t) {
    state.send(status::kDiskFull);
    return false;
  }

  for (const fs::path& path : listed) state.mediaList.emplace(mediaKey(path), path);
  return true;
}

}  // namespace dm
