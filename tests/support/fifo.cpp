#include "support/fifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

namespace dm::test {

bool makeFifo(const fs::path& path) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  return ::mkfifo(path.c_str(), 0644) == 0;
}

bool endsWithoutWaitingOn(const fs::path& fifo, const std::function<void()>& body) {
  std::future<void> done = std::async(std::launch::async, body);
  if (done.wait_for(std::chrono::seconds(2)) == std::future_status::ready) {
    done.get();
    return true;
  }
  // Release the body: a writer that comes and goes ends both a blocked open
  // and a blocked read (end of file).
  while (done.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
  }
  done.get();
  return false;
}

}  // namespace dm::test
