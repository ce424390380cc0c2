// Work on the word libraries side by side: the libraries of a compile are
// independent, so their jobs run on as many threads as the machine has cores,
// the largest first, while what they hand back is used in library order.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <numeric>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

namespace dm {

// The indices 0..sizes.size()-1, largest size first (equal sizes in index
// order).
inline std::vector<std::size_t> largestFirst(std::span<const std::size_t> sizes) {
  std::vector<std::size_t> order(sizes.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return sizes[a] > sizes[b]; });
  return order;
}

// Runs job(i) for every index i of `order` (a permutation of 0..n-1), taken
// up in that order by up to hardware_concurrency() threads, the calling one
// included, and returns when all have finished. A job that throws does not
// stop the others; the result holds each job's failure (null: none) by index.
template <typename Job>
std::vector<std::exception_ptr> runSideBySide(std::span<const std::size_t> order, Job job) {
  std::vector<std::exception_ptr> failures(order.size());
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t t; (t = next.fetch_add(1)) < order.size();) {
      try {
        job(order[t]);
      } catch (...) {
        failures[order[t]] = std::current_exception();
      }
    }
  };
  const std::size_t threads = std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), order.size());
  std::vector<std::thread> helpers;
  for (std::size_t i = 1; i < threads; ++i) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // no more threads: the ones running take the rest
    }
  }
  work();
  for (std::thread& t : helpers) t.join();
  return failures;
}

}  // namespace dm
