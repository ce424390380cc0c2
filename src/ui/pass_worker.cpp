#include "ui/pass_worker.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace dm::ui {

namespace {

// Lowers the calling thread's priority a little (Linux keeps a nice value
// per thread).
void lowerPriority() {
  const pid_t self = gettid();
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(self));
  if (errno == 0) setpriority(PRIO_PROCESS, static_cast<id_t>(self), std::min(nice + 5, 19));
}

}  // namespace

PassWorker::~PassWorker() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void PassWorker::post(std::function<void()> job) {
  std::lock_guard<std::mutex> lock(mutex_);
  jobs_.push_back(std::move(job));
  if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
  wake_.notify_all();
}

bool PassWorker::busy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return running_ || !jobs_.empty();
}

void PassWorker::run() {
  lowerPriority();
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) return;
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    running_ = true;
    lock.unlock();
    job();
    lock.lock();
    running_ = false;
  }
}

}  // namespace dm::ui
