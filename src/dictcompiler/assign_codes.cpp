#include "dictcompiler/assign_codes.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace dm {

namespace {

// Depth-first search over the code-length distributions. The depth is at most
// kMaxCodeNibbles, so the recursion is bounded.
class DistSearch {
 public:
  DistSearch(const std::vector<std::uint32_t>& prefix, std::uint32_t items) : prefix_(prefix), items_(items) {}

  void run(unsigned firstValues) {
    a_.fill(0);
    a_[0] = static_cast<std::uint8_t>(firstValues);
    visit(0, 0, 0);
  }
  const CodeLengthDist& best() const { return best_; }
  std::uint32_t bestCost() const { return bestCost_; }

 private:
  void visit(int d, std::uint32_t p, std::uint32_t cost) {
    const std::uint32_t c = a_[d];
    const std::uint32_t left = items_ - p;
    const std::uint64_t capacity = static_cast<std::uint64_t>(c) << (4 * d);
    if (d + 1 < kMaxCodeNibbles && capacity < left) {
      for (std::uint32_t e = 0; e < c; ++e) {
        const std::uint32_t take = e << (4 * d);
        const std::uint32_t sum = prefix_[p + take] - prefix_[p];
        a_[d] = static_cast<std::uint8_t>(e);
        a_[d + 1] = static_cast<std::uint8_t>(c - e);
        visit(d + 1, p + take, cost + static_cast<std::uint32_t>(d + 1) * sum);
      }
      return;
    }
    const std::uint32_t total = cost + static_cast<std::uint32_t>(d + 1) * (prefix_[items_] - prefix_[p]);
    if (!found_ || total < bestCost_) {
      found_ = true;
      bestCost_ = total;
      best_ = a_;
      best_[d] = static_cast<std::uint8_t>(c);
      for (int k = d + 1; k < kMaxCodeNibbles; ++k) best_[k] = 0;
    }
  }

  const std::vector<std::uint32_t>& prefix_;
  const std::uint32_t items_;
  CodeLengthDist a_{};
  CodeLengthDist best_{};
  std::uint32_t bestCost_ = std::numeric_limits<std::uint32_t>::max();
  bool found_ = false;
};

}  // namespace

NibbleCodes AssignCodes(std::span<const std::uint32_t> counts, unsigned firstNibbleValues) {
  if (firstNibbleValues < 1 || firstNibbleValues > 16) throw std::invalid_argument("first-nibble values out of range");
  // 8-nibble codes can hold at most firstNibbleValues x 16^7 items; stay well
  // inside 32-bit item numbers.
  if (counts.size() > 0x0FFFFFFFu) throw std::length_error("too many items for nibble codes");
  const auto n = static_cast<std::uint32_t>(counts.size());

  std::vector<std::uint32_t> byCount(n);
  std::iota(byCount.begin(), byCount.end(), 0u);
  std::sort(byCount.begin(), byCount.end(), [&](std::uint32_t x, std::uint32_t y) {
    if (counts[x] != counts[y]) return counts[x] > counts[y];
    return x > y;  // equal counts: descending key order
  });
  std::vector<std::uint32_t> prefix(n + 1, 0);
  for (std::uint32_t i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + counts[byCount[i]];

  DistSearch search(prefix, n);
  search.run(firstNibbleValues);

  NibbleCodes out;
  out.dist = search.best();
  out.cost = search.bestCost();
  out.order.reserve(n);
  out.value.assign(n, 0);
  out.length.assign(n, 0);
  std::uint32_t start = 0;
  std::uint32_t base = 0;
  for (int d = 0; d < kMaxCodeNibbles && start < n; ++d) {
    const std::uint64_t room = static_cast<std::uint64_t>(out.dist[d]) << (4 * d);
    const auto end = static_cast<std::uint32_t>(std::min<std::uint64_t>(n, start + room));
    std::sort(byCount.begin() + start, byCount.begin() + end);  // ascending key order
    const std::uint32_t first = base << (4 * d);
    for (std::uint32_t i = start; i < end; ++i) {
      const std::uint32_t item = byCount[i];
      out.order.push_back(item);
      out.value[item] = first + (i - start);
      out.length[item] = static_cast<std::uint8_t>(d + 1);
    }
    start = end;
    base += out.dist[d];
  }
  return out;
}

std::string formatCode(std::uint32_t value, unsigned length) {
  std::string s;
  appendCode(s, value, length);
  return s;
}

void appendCode(std::string& out, std::uint32_t value, unsigned length) {
  static const char kDigits[] = "0123456789abcdef";
  const std::size_t at = out.size();
  out.append(length, '0');
  char* digits = out.data() + at;
  for (unsigned i = length; i-- > 0 && value != 0;) {
    digits[i] = kDigits[value & 0xF];
    value >>= 4;
  }
}

std::uint32_t codeOffset(const CodeLengthDist& dist, int k) {
  std::uint32_t b = 0;
  std::uint32_t c = 0;
  for (int j = 0; j < k && j < kMaxCodeNibbles; ++j) {
    b += dist[j];
    c += static_cast<std::uint32_t>(dist[j]) << (4 * j);
  }
  return (b << (4 * k)) - c;
}

}  // namespace dm
