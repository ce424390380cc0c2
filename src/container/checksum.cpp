#include "container/checksum.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "container/container_format.h"
#include "textio/byte_order.h"
#include "images/work_file.h"

namespace dm::container {

namespace {

std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | static_cast<std::uint32_t>(p[1]) << 8 | static_cast<std::uint32_t>(p[2]) << 16 |
         static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

void Checksum::update(const std::uint8_t* data, std::size_t size) {
  while (size > 0 && pendingSize_ > 0) {
    pending_[pendingSize_++] = *data++;
    --size;
    if (pendingSize_ == 4) {
      sum_ += le32(pending_.data());
      last_ = pending_;
      pendingSize_ = 0;
    }
  }
  const std::size_t words = size / 4;
  for (std::size_t i = 0; i < words; ++i) sum_ += le32(data + 4 * i);
  if (words > 0) std::memcpy(last_.data(), data + 4 * (words - 1), 4);
  data += 4 * words;
  size -= 4 * words;
  for (std::size_t i = 0; i < size; ++i) pending_[pendingSize_++] = data[i];
}

std::uint32_t Checksum::value() const {
  std::array<std::uint8_t, 4> tail = last_;
  for (std::size_t i = 0; i < pendingSize_; ++i) tail[i] = pending_[i];
  return sum_ + le32(tail.data());
}

void TrailerSums::update(const std::uint8_t* data, std::size_t size) {
  std::uint32_t all = all_;
  for (std::size_t i = 0; i < size; ++i) all += data[i];
  all_ = all;
  const std::uint64_t end = offset_ + size;
  for (std::uint64_t at = (offset_ + kSparseStep1 - 1) / kSparseStep1 * kSparseStep1; at < end; at += kSparseStep1) {
    const std::uint8_t b = data[at - offset_];
    step1_ += b;
    if (at % kSparseStep2 == 0) step2_ += b;
    if (at % kSparseStep3 == 0) step3_ += b;
  }
  offset_ = end;
}

std::string TrailerSums::trailer(const std::tm& when) const {
  std::string t;
  appendLE16(t, (kSumBase - step1_) & 0xFFFF);
  appendLE16(t, (kSumBase - all_) & 0xFFFF);
  appendByte(t, static_cast<std::uint32_t>(when.tm_mday));
  appendByte(t, static_cast<std::uint32_t>((when.tm_mon + 1) % 12));
  appendLE16(t, static_cast<std::uint32_t>(when.tm_year + 1900));
  appendLE16(t, 0);
  appendLE16(t, (kSumBase - step2_) & 0xFFFF);
  appendLE16(t, 0);
  appendLE16(t, (kSumBase - step3_) & 0xFFFF);
  for (int i = 0; i < 4; ++i) appendLE32(t, kTrailerFill);
  return t;
}

void appendTrailer(const fs::path& path, const std::tm& when) {
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  if (!file) return;
  TrailerSums sums;
  std::vector<char> buffer(1 << 20);
  while (file) {
    file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    if (file.gcount() <= 0) break;
    sums.update(reinterpret_cast<const std::uint8_t*>(buffer.data()), static_cast<std::size_t>(file.gcount()));
  }
  file.clear();
  file.seekp(0, std::ios::end);
  const std::string t = sums.trailer(when);
  file.write(t.data(), static_cast<std::streamsize>(t.size()));
  file.flush();
  requireWritten(file, path);
}

}  // namespace dm::container
