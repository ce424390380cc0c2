// A progress sink that keeps everything it is told, for tests that assert on
// what a phase says instead of capturing standard output.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "work/progress_sink.h"

namespace dm::test {

class RecordingSink : public ProgressSink {
 public:
  void phase(std::string_view name) override { phases.emplace_back(name); }
  void progress(std::uint64_t done, std::uint64_t total) override { steps.emplace_back(done, total); }
  void log(std::string_view line) override { lines.emplace_back(line); }

  // True when a log line contains `text`.
  bool logged(std::string_view text) const {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.find(text) != std::string::npos; });
  }

  std::vector<std::string> phases;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> steps;
  std::vector<std::string> lines;
};

}  // namespace dm::test
