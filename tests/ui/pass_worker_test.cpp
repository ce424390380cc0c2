#include "ui/pass_worker.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

namespace dm::ui {
namespace {

TEST(PassWorker, RunsJobsInOrderOffTheCallingThread) {
  std::vector<int> order;
  std::promise<void> done;
  std::thread::id jobThread;
  {
    PassWorker worker;
    worker.post([&] {
      jobThread = std::this_thread::get_id();
      order.push_back(1);
      // A job may queue the next one; it starts once this one has returned.
      worker.post([&] {
        order.push_back(3);
        done.set_value();
      });
      order.push_back(2);
    });
    done.get_future().wait();
  }
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
  EXPECT_NE(jobThread, std::this_thread::get_id());
}

TEST(PassWorker, FinishesQueuedJobsBeforeItEnds) {
  int runs = 0;
  {
    PassWorker worker;
    for (int i = 0; i < 5; ++i) worker.post([&] { ++runs; });
  }
  EXPECT_EQ(runs, 5);
}

}  // namespace
}  // namespace dm::ui
