#include "dictcompiler/selection_gate.h"

namespace dm {

void SelectionGate::expectFirst(std::size_t libraries) {
  std::lock_guard<std::mutex> lock(mutex_);
  firstKnown_ = true;
  firstWaiting_ = libraries;
  changed_.notify_all();
}

void SelectionGate::firstDone() {
  std::lock_guard<std::mutex> lock(mutex_);
  firstKnown_ = true;
  firstWaiting_ = 0;
  changed_.notify_all();
}

bool SelectionGate::secondMayEnter(std::uint64_t units) const {
  if (!firstKnown_ || firstWaiting_ > 0) return false;
  return runningLibraries_ == 0 || running_ + units <= budget_;
}

SelectionGate::Pass SelectionGate::enter(SelectionGate* gate, Turn turn, std::uint64_t units) {
  if (!gate) return Pass(nullptr, 0);
  std::unique_lock<std::mutex> lock(gate->mutex_);
  if (turn == Turn::kFirst) {
    if (gate->firstWaiting_ > 0) --gate->firstWaiting_;
    gate->changed_.notify_all();
  } else {
    gate->changed_.wait(lock, [&] { return gate->secondMayEnter(units); });
  }
  gate->running_ += units;
  ++gate->runningLibraries_;
  return Pass(gate, units);
}

void SelectionGate::leave(std::uint64_t units) {
  std::lock_guard<std::mutex> lock(mutex_);
  running_ -= units;
  --runningLibraries_;
  changed_.notify_all();
}

}  // namespace dm
