#include "dictcompiler/substring_counter.h"

#include <cstring>

namespace dm {

namespace {

constexpr std::uint32_t kBase = 0x9E3779B1u;
constexpr std::size_t kInitialSlots = 1u << 12;

std::uint64_t mix(std::uint64_t x) {
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  x *= 0xc4ceb9fe1a85ec53ull;
  x ^= x >> 33;
  return x;
}

}  // namespace

SubstringCounter::SubstringCounter(std::span<const char16_t> text) : text_(text) {
  prefix_.resize(text.size() + 1);
  prefix_[0] = 0;
  for (std::size_t i = 0; i < text.size(); ++i) prefix_[i + 1] = prefix_[i] * kBase + text[i] + 1u;
  slots_.assign(kInitialSlots, Slot{0, 0, kNone});
}

void SubstringCounter::reset(std::uint32_t length) {
  if (used_.size() * 4 > slots_.size()) {
    std::fill(slots_.begin(), slots_.end(), Slot{0, 0, kNone});
  } else {
    for (std::uint32_t i : used_) slots_[i].id = kNone;
  }
  used_.clear();
  counts_.clear();
  length_ = length;
  if (power_.size() <= length) {
    std::size_t from = power_.size();
    power_.resize(length + 1);
    for (std::size_t i = from; i <= length; ++i) power_[i] = i == 0 ? 1 : power_[i - 1] * kBase;
  }
}

std::uint64_t SubstringCounter::hashAt(std::uint32_t pos) const {
  return mix(static_cast<std::uint32_t>(prefix_[pos + length_] - prefix_[pos] * power_[length_]));
}

bool SubstringCounter::sameText(std::uint32_t a, std::uint32_t b) const {
  return a == b || std::memcmp(text_.data() + a, text_.data() + b, length_ * sizeof(char16_t)) == 0;
}

std::uint32_t SubstringCounter::add(std::uint32_t pos, std::uint64_t h) {
  if ((counts_.size() + 1) * 2 > slots_.size()) grow();
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = h & mask;; i = (i + 1) & mask) {
    Slot& s = slots_[i];
    if (s.id == kNone) {
      s = Slot{h, pos, static_cast<std::uint32_t>(counts_.size())};
      counts_.push_back(1);
      used_.push_back(static_cast<std::uint32_t>(i));
      return s.id;
    }
    if (s.hash == h && sameText(s.pos, pos)) {
      ++counts_[s.id];
      return s.id;
    }
  }
}

std::uint32_t SubstringCounter::find(std::uint32_t pos, std::uint64_t h) const {
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = h & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.id == kNone) return kNone;
    if (s.hash == h && sameText(s.pos, pos)) return s.id;
  }
}

void SubstringCounter::grow() {
  std::vector<Slot> old(slots_.size() * 2, Slot{0, 0, kNone});
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  used_.clear();
  for (const Slot& s : old) {
    if (s.id == kNone) continue;
    std::size_t i = s.hash & mask;
    while (slots_[i].id != kNone) i = (i + 1) & mask;
    slots_[i] = s;
    used_.push_back(static_cast<std::uint32_t>(i));
  }
}

}  // namespace dm
