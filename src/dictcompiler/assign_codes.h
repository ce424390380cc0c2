// Canonical nibble prefix codes by frequency. Shared by the word libraries
// (words and characters, 15 first-nibble values: f ends a word) and the
// picture symbol coder (16 first-nibble values).
//
// A code of k+1 nibbles starts with one of the dist[k] first-nibble values
// that follow those of the shorter codes, so a decoder reads the first
// nibble, finds its length from the running sums of dist and maps the code
// value v of length k+1 to the item number v - codeOffset(dist, k).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dm {

inline constexpr int kMaxCodeNibbles = 8;

using CodeLengthDist = std::array<std::uint8_t, kMaxCodeNibbles>;

struct NibbleCodes {
  // dist[k]: first-nibble values whose codes are k+1 nibbles long; entries
  // after the last used length are 0.
  CodeLengthDist dist{};
  // Sum of count x code length over the items, unsigned 32-bit arithmetic.
  std::uint32_t cost = 0;
  // Item indices in code order.
  std::vector<std::uint32_t> order;
  // Per item index: the code value and its length in nibbles.
  std::vector<std::uint32_t> value;
  std::vector<std::uint8_t> length;
};

// Assigns the codes. `counts[i]` is the frequency of item i; items must be
// given in ascending order of their keys, so that the index is the key rank:
// equal counts are searched in descending key order and, within one code
// length, numbered in ascending key order. The code-length distribution is
// the one of least cost found by a depth-first search over the lengths
// 1, 2, ... (the first one found wins a tie). Throws std::length_error for
// more items than 8-nibble codes can hold.
NibbleCodes AssignCodes(std::span<const std::uint32_t> counts, unsigned firstNibbleValues = 15);

// The code as `length` lower-case hex digits with leading zeros (digits
// above the length are dropped).
std::string formatCode(std::uint32_t value, unsigned length);
// The same, appended to `out`.
void appendCode(std::string& out, std::uint32_t value, unsigned length);

// OFFSET[k] = B x 16^k - C, with B = dist[0] + ... + dist[k-1] and
// C = dist[0] x 1 + ... + dist[k-1] x 16^(k-1) (unsigned 32-bit): subtracted
// from a code value of k+1 nibbles it gives the item's number in code order.
std::uint32_t codeOffset(const CodeLengthDist& dist, int k);

}  // namespace dm
