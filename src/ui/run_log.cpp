#include "ui/run_log.h"

namespace dm::ui {

void RunLog::phase(std::string_view name) {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.push_back("== " + std::string(name));
  progress_ = {0, 0};
}

void RunLog::progress(std::uint64_t done, std::uint64_t total) {
  std::lock_guard<std::mutex> lock(mutex_);
  progress_ = {done, total};
}

void RunLog::log(std::string_view line) {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.emplace_back(line);
}

void RunLog::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.clear();
  progress_ = {0, 0};
}

std::vector<std::string> RunLog::lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

std::pair<std::uint64_t, std::uint64_t> RunLog::lastProgress() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return progress_;
}

}  // namespace dm::ui
