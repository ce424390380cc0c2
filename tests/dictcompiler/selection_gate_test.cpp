#include "dictcompiler/selection_gate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace dm {
namespace {

using Turn = SelectionGate::Turn;

// A library of the second compile trying the gate on a thread of its own.
class SecondLibrary {
 public:
  SecondLibrary(SelectionGate& gate, std::uint64_t units)
      : thread_([this, &gate, units] {
          const SelectionGate::Pass pass = SelectionGate::enter(&gate, Turn::kSecond, units);
          entered_ = true;
          while (!release_) std::this_thread::yield();
        }) {}
  ~SecondLibrary() {
    release_ = true;
    thread_.join();
  }
  // Whether it got through within a moment (a short wait: it only proves
  // anything when it got through).
  bool entered() {
    for (int i = 0; i < 200 && !entered_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return entered_;
  }
  // Whether it still waits after a moment.
  bool waits() {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    return !entered_;
  }

 private:
  std::atomic<bool> entered_{false};
  std::atomic<bool> release_{false};
  std::thread thread_;
};

TEST(SelectionGate, TheSecondWaitsUntilEveryLibraryOfTheFirstHasBegun) {
  SelectionGate gate(100);
  SecondLibrary menu(gate, 1);
  EXPECT_TRUE(menu.waits()) << "the first has not said how many it selects";
  gate.expectFirst(2);
  std::optional<SelectionGate::Pass> a(SelectionGate::enter(&gate, Turn::kFirst, 10));
  EXPECT_TRUE(menu.waits()) << "one library of the first has not begun";
  std::optional<SelectionGate::Pass> b(SelectionGate::enter(&gate, Turn::kFirst, 10));
  EXPECT_TRUE(menu.entered());
}

TEST(SelectionGate, TheSecondWaitsForRoomWithinTheBudgetOrForNothingRunning) {
  struct Case {
    std::uint64_t second;
    bool afterTheSmallLeaves;  // enters once the 5-unit library is done, beside the 10-unit one
  };
  for (const Case c : {Case{6, true}, Case{7, false}, Case{40, false}}) {
    SCOPED_TRACE(c.second);
    SelectionGate gate(16);  // the first's 10 + 5 units pass anyway
    gate.expectFirst(2);
    std::optional<SelectionGate::Pass> large(SelectionGate::enter(&gate, Turn::kFirst, 10));
    std::optional<SelectionGate::Pass> small(SelectionGate::enter(&gate, Turn::kFirst, 5));
    SecondLibrary menu(gate, c.second);
    EXPECT_TRUE(menu.waits());
    small.reset();
    if (c.afterTheSmallLeaves) {
      EXPECT_TRUE(menu.entered());
    } else {
      EXPECT_TRUE(menu.waits());
      large.reset();
      EXPECT_TRUE(menu.entered()) << "alone it always passes";
    }
  }
}

TEST(SelectionGate, AFirstCompileThatEndsEarlyLetsTheSecondThrough) {
  SelectionGate gate(100);
  gate.expectFirst(3);
  SecondLibrary menu(gate, 1);
  EXPECT_TRUE(menu.waits());
  gate.firstDone();  // failed before its libraries began
  EXPECT_TRUE(menu.entered());
}

TEST(SelectionGate, WithoutAGateEverythingPasses) {
  const SelectionGate::Pass pass = SelectionGate::enter(nullptr, Turn::kSecond, 1u << 30);
  SUCCEED();
}

}  // namespace
}  // namespace dm
