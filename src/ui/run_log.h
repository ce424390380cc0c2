// The window's progress sink: it keeps what the phases of the current run
// said (phase names and log lines) instead of writing it anywhere. The
// passes run on the worker thread; the window reads the log on its own.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "work/progress_sink.h"

namespace dm::ui {

class RunLog : public ProgressSink {
 public:
  void phase(std::string_view name) override;
  void progress(std::uint64_t done, std::uint64_t total) override;
  void log(std::string_view line) override;

  // Forgets the previous run.
  void clear();
  // The phase names and log lines so far, in order; a phase name is given
  // as "== NAME".
  std::vector<std::string> lines() const;
  // The current phase's progress: done and total (0, 0 when unknown).
  std::pair<std::uint64_t, std::uint64_t> lastProgress() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::pair<std::uint64_t, std::uint64_t> progress_{0, 0};
};

}  // namespace dm::ui
