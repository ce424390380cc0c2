#include "dictcompiler/rom_table.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/hex.h"
#include "work/work_files.h"
#include "textio/format.h"

namespace dm {

namespace {

std::string upperHex(std::uint64_t v) { return hexText(v, 0, HexCase::kUpper); }

std::string fullForm(std::uint64_t v, std::size_t width) {
  return hexText(v, static_cast<int>(width), HexCase::kUpper);
}

// One block line with its nibble count; the two runs are never pending at once.
class BlockLine {
 public:
  explicit BlockLine(std::size_t width) : width_(width) {}

  void first(std::uint64_t v) {
    emit(fullForm(v, width_));
    prev_ = v;
  }

  void next(std::uint64_t v) {
    if (v == prev_) {
      closeIncrements();
      ++equal_;
    } else if (v == prev_ + 1) {
      closeEquals();
      ++increments_;
    } else {
      closeEquals();
      closeIncrements();
      literal(v);
    }
    prev_ = v;
  }

  void finish() {
    closeEquals();
    closeIncrements();
    text_ += '\n';
  }

  const std::string& text() const { return text_; }
  std::uint64_t nibbles() const { return nibbles_; }

 private:
  void emit(const std::string& code) {
    text_ += code;
    text_ += ' ';
    nibbles_ += code.size();
  }

  void closeEquals() {
    const unsigned k = equal_;
    equal_ = 0;
    if (k == 0) return;
    if (k <= 2) {
      emit(std::string(k, '0'));
      return;
    }
    emit(k <= 14 ? formatted("8%1X", k) : formatted("8F%X%X", (k / 16) & 0xF, k % 16));
  }

  void closeIncrements() {
    const unsigned j = increments_;
    increments_ = 0;
    if (j == 0) return;
    if (j <= 5)
      emit(formatted("%X", j + 8));
    else if (j <= 15)
      emit(formatted("E%X", j));
    else
      emit(formatted("F%2X", j & 0xFF));
  }

  void literal(std::uint64_t v) {
    const std::string cur = fullForm(v, width_);
    const std::string before = fullForm(prev_, width_);
    std::size_t shared = 0;
    while (shared < cur.size() && shared < before.size() && cur[shared] == before[shared]) ++shared;
    const std::size_t len = cur.size() - shared;
    // The length nibble must stay below 8, the first digit of an equal-run code.
    if (len >= 8)
      throw PassFailure("value " + cur + " is too large for the segmented table\n");
    emit(upperHex(len) + cur.substr(shared));
  }

  std::size_t width_;
  std::string text_;
  std::uint64_t nibbles_ = 0;
  std::uint64_t prev_ = 0;
  unsigned equal_ = 0;
  unsigned increments_ = 0;
};

}  // namespace

std::vector<std::uint64_t> readHexList(std::istream& list) {
  std::vector<std::uint64_t> values;
  std::string line;
  while (std::getline(list, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ':') continue;
    line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; }), line.end());
    if (line.empty()) continue;
    std::uint64_t v = 0;
    for (char c : line) {
      const int h = hexDigitValue(c);
      if (h < 0) break;
      v = v > (UINT64_MAX >> 4) ? UINT64_MAX : (v << 4) | static_cast<unsigned>(h);
    }
    values.push_back(v);
  }
  return values;
}

void writeSegmentedTable(const std::vector<std::uint64_t>& values, std::ostream& seg, std::ostream& off) {
  std::size_t width = 1;
  for (std::uint64_t v : values) width = std::max(width, upperHex(v).size());

  std::vector<std::uint64_t> starts;
  std::uint64_t offset = 0;
  for (std::size_t b = 0; b < values.size(); b += kRomBlockValues) {
    starts.push_back(offset);
    BlockLine line(width);
    line.first(values[b]);
    const std::size_t end = std::min(values.size(), b + kRomBlockValues);
    for (std::size_t i = b + 1; i < end; ++i) line.next(values[i]);
    line.finish();
    off << line.text();
    offset += line.nibbles();
  }

  const std::uint64_t largest = starts.empty() ? 0 : *std::max_element(starts.begin(), starts.end());
  const std::size_t startWidth = upperHex(largest).size();
  seg << formatted("%2X%X%X\n", kRomBlockValues, static_cast<unsigned>(startWidth), static_cast<unsigned>(width));
  for (std::uint64_t s : starts) seg << fullForm(s, startWidth) << '\n';
}

void WriteRomTable(const std::filesystem::path& listPath, int type, const std::filesystem::path& segPath,
                   const std::filesystem::path& offPath) {
  if (type != kRomWriterSegmented) return;
  std::ifstream list(listPath, std::ios::binary);
  if (!list) throw PassFailure("can't open file " + listPath.string() + "\n");
  const std::vector<std::uint64_t> values = readHexList(list);

  std::ofstream seg(segPath, std::ios::binary | std::ios::trunc);
  if (!seg) throw PassFailure(platform::withSystemError("can't open file " + segPath.string() + "\n", errno));
  std::ofstream off(offPath, std::ios::binary | std::ios::trunc);
  if (!off) throw PassFailure(platform::withSystemError("can't open file " + offPath.string() + "\n", errno));
  writeSegmentedTable(values, seg, off);
  seg.close();
  if (!seg) throw PassFailure(platform::withSystemError("can't write file " + segPath.string() + "\n", errno));
  off.close();
  if (!off) throw PassFailure(platform::withSystemError("can't write file " + offPath.string() + "\n", errno));
}

}  // namespace dm
