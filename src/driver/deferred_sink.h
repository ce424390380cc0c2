// A sink for work that runs ahead of its turn on another thread: it keeps
// what the work says and tells it to the run's sink later, in the same
// order, so that the run's sink hears what it would have heard had the work
// run in its place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "work/progress_sink.h"

namespace dm {

// Filled by one thread, then replayed by another once the first is done:
// it takes no lock.
class DeferredSink : public ProgressSink {
 public:
  void phase(std::string_view name) override;
  void progress(std::uint64_t done, std::uint64_t total) override;
  void log(std::string_view line) override;

  // Tells `to` everything kept, in the order it was said, and forgets it.
  void replay(ProgressSink& to);

 private:
  enum class Kind : std::uint8_t { kPhase, kProgress, kLog };
  struct Said {
    Kind kind;
    std::string text;
    std::uint64_t done = 0;
    std::uint64_t total = 0;
  };
  std::vector<Said> said_;
};

}  // namespace dm
