// Counts occurrences of the substrings of one length in a text. Substrings
// are keyed by their position in the text; two positions are the same key
// when their characters are equal. Lookups hash a substring in constant time
// from prefix hashes, and confirm every match by comparing the characters.
// Every distinct substring gets a dense id, in order of first occurrence.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace dm {

class SubstringCounter {
 public:
  static constexpr std::uint32_t kNone = ~0u;

  // `text` must outlive the counter.
  explicit SubstringCounter(std::span<const char16_t> text);

  // Empties the counter and sets the substring length in characters.
  void reset(std::uint32_t length);
  // The hash of the substring at `pos` for the calls below that take one;
  // computing it once saves work when a position is hinted and then added.
  std::uint64_t hash(std::uint32_t pos) const { return hashAt(pos); }
  // Counts the substring at `pos` (pos + length <= text size); returns its id.
  std::uint32_t add(std::uint32_t pos) { return add(pos, hashAt(pos)); }
  std::uint32_t add(std::uint32_t pos, std::uint64_t hash);
  // The id of the substring at `pos`, kNone when it was never added.
  std::uint32_t find(std::uint32_t pos) const { return find(pos, hashAt(pos)); }
  std::uint32_t find(std::uint32_t pos, std::uint64_t hash) const;
  // A hint that a substring of this hash will be looked up soon.
  void prefetch(std::uint64_t hash) const { __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]); }
  // The second stage of a hint, a few steps after prefetch(hash): fetches
  // the text and count of the substring in the slot the hash leads to.
  void prefetchEntry(std::uint64_t hash) const {
    const Slot& s = slots_[hash & (slots_.size() - 1)];
    if (s.id != kNone) {
      __builtin_prefetch(text_.data() + s.pos);
      __builtin_prefetch(counts_.data() + s.id);
    }
  }
  // The count of an id.
  std::uint32_t count(std::uint32_t id) const { return counts_[id]; }
  // Number of distinct substrings counted since the reset.
  std::size_t size() const { return counts_.size(); }

 private:
  struct Slot {
    std::uint64_t hash;
    std::uint32_t pos;
    std::uint32_t id;  // kNone: empty
  };
  std::uint64_t hashAt(std::uint32_t pos) const;
  bool sameText(std::uint32_t a, std::uint32_t b) const;
  void grow();

  std::span<const char16_t> text_;
  // Polynomial hash of text[0, i), 32 bits: 4 bytes per character of a
  // text of millions. A match is confirmed by the characters anyway; 32 bits
  // only make a rare extra comparison.
  std::vector<std::uint32_t> prefix_;
  std::vector<std::uint32_t> power_;  // base^length, by length
  std::uint32_t length_ = 0;
  std::vector<Slot> slots_;
  std::vector<std::uint32_t> used_;
  std::vector<std::uint32_t> counts_;
};

}  // namespace dm
