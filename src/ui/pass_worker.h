// The worker thread of the passes: runs posted jobs one after the other at
// below-normal priority, so the window stays responsive during a run.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace dm::ui {

class PassWorker {
 public:
  PassWorker() = default;
  PassWorker(const PassWorker&) = delete;
  PassWorker& operator=(const PassWorker&) = delete;
  // Runs the jobs still queued, then ends the thread.
  ~PassWorker();

  // Queues a job; it starts after the jobs before it have returned. A job
  // may post the next one.
  void post(std::function<void()> job);

  // True while a job runs or waits.
  bool busy() const;

 private:
  void run();

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool running_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace dm::ui
