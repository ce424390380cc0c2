// The cores a group of threads leaves unused, which a thread may borrow for
// a while to split its own work: the libraries are selected side by side,
// and one large library can go on on two cores once the others are done.
#pragma once

#include <atomic>
#include <cstddef>

namespace dm {

class SpareCores {
 public:
  // `spare` cores to lend. A pass of the selection borrows one for a list of
  // at least `minEntries` entries with at least `entriesPerKey` entries per
  // distinct key counted in the pass before (below that, the two halves'
  // tables would each hold most of the keys and merging them would eat up
  // the gain).
  explicit SpareCores(int spare = 0, std::size_t minEntries = std::size_t{1} << 20, std::size_t entriesPerKey = 64)
      : minEntries_(minEntries), entriesPerKey_(entriesPerKey), spare_(spare) {}
  SpareCores(const SpareCores&) = delete;
  SpareCores& operator=(const SpareCores&) = delete;

  // Takes one spare core; false when there is none.
  bool claim() {
    int n = spare_.load(std::memory_order_relaxed);
    while (n > 0) {
      if (spare_.compare_exchange_weak(n, n - 1, std::memory_order_acq_rel)) {
        claims_.fetch_add(1, std::memory_order_relaxed);
        return true;
      }
    }
    return false;
  }
  // Gives back a core taken by claim(), or one whose thread has no more work.
  void release() { spare_.fetch_add(1, std::memory_order_acq_rel); }
  // Whether a list of `entries` entries, with `keys` distinct keys in the
  // pass before, is worth a spare core.
  bool worthSplitting(std::size_t entries, std::size_t keys) const {
    return entries >= minEntries_ && keys * entriesPerKey_ <= entries;
  }
  // How many times claim() succeeded.
  int claims() const { return claims_.load(std::memory_order_relaxed); }

 private:
  std::size_t minEntries_, entriesPerKey_;
  std::atomic<int> spare_;
  std::atomic<int> claims_{0};
};

}  // namespace dm
