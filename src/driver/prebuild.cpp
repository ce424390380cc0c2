#include "driver/prebuild.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <system_error>

#include "intake/source_reader.h"
#include "platform/platform.h"
#include "textio/case_fold.h"
#include "textio/wide_line.h"
#include "textio/format.h"
#include "workbook/workbook.h"

namespace dm {

namespace {

// The extension of the file name from its last '.', lower-cased ("" if none).
std::string extensionOf(const fs::path& path) { return lowerCaseExtension(path.filename().string()); }

// A name's Shift-JIS bytes in UTF-16, by the source reader's decoder.
std::u16string decodeShiftJisName(const std::string& bytes) {
  std::istringstream in(bytes);
  std::ostringstream wide, dropped;
  decodeShiftJis(in, wide, dropped);
  const std::string units = wide.str();
  std::u16string name;
  for (std::size_t i = 0; i + 1 < units.size(); i += 2)
    name.push_back(static_cast<char16_t>(static_cast<unsigned char>(units[i]) |
                                         static_cast<unsigned char>(units[i + 1]) << 8));
  return name;
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

bool isSourceFile(const fs::path& path) { return isTextFile(path) || workbook::isWorkbook(path); }

std::string probeName(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3,
                      const std::uint8_t (&data4)[8]) {
  return formatted("%08X-%04X-%04X-%01X%01X%01X%01X%01X%01X%01X%01X", data1, data2, data3, data4[0], data4[1],
                   data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
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
      if (isSourceFile(entry)) {
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

  const std::uint64_t p = std::min(state.mediaTotals.pictures, kMaxPictureBytes);
  const std::uint64_t s = std::min(state.mediaTotals.sounds, kMaxSoundBytes);
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
