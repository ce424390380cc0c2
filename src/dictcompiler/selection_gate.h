// Word selection holds some fifteen bytes per code unit of its library while
// it runs: the largest share of a build's memory. The entries' and the
// menu's compiles run side by side, and a gate shared by the two keeps the
// second from crowding the first. The first compile's libraries pass at
// once, as they would alone. A library of the second waits until every
// library of the first has begun, then until the libraries still being
// selected and itself come to at most the budget of code units, or until
// nothing else is being selected.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace dm {

class SelectionGate {
 public:
  enum class Turn { kFirst, kSecond };

  // A library being selected; leaves the gate when destroyed.
  class Pass {
   public:
    Pass(SelectionGate* gate, std::uint64_t units) : gate_(gate), units_(units) {}
    Pass(Pass&& other) noexcept : gate_(other.gate_), units_(other.units_) { other.gate_ = nullptr; }
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;
    Pass& operator=(Pass&&) = delete;
    ~Pass() {
      if (gate_) gate_->leave(units_);
    }

   private:
    SelectionGate* gate_;
    std::uint64_t units_;
  };

  explicit SelectionGate(std::uint64_t budgetUnits) : budget_(budgetUnits) {}

  // The first compile is about to select `libraries` libraries.
  void expectFirst(std::size_t libraries);
  // Waits for the turn of a library of `units` code units of the compile of
  // `turn`, then counts it as being selected until the pass is destroyed.
  // A gate without a budget (null) lets everything pass at once.
  static Pass enter(SelectionGate* gate, Turn turn, std::uint64_t units);
  // The first compile is over, in success or failure: nothing waits for it
  // any longer.
  void firstDone();

 private:
  void leave(std::uint64_t units);
  bool secondMayEnter(std::uint64_t units) const;

  std::mutex mutex_;
  std::condition_variable changed_;
  const std::uint64_t budget_;
  bool firstKnown_ = false;      // expectFirst() or firstDone() was called
  std::size_t firstWaiting_ = 0;  // libraries of the first not yet begun
  std::uint64_t running_ = 0;     // code units being selected
  std::size_t runningLibraries_ = 0;
};

}  // namespace dm
