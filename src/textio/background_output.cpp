#include "textio/background_output.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fstream>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/pass_io.h"

namespace dm {

namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
// Blocks waiting for the thread at most; a pass that runs ahead of the disk
// waits for it rather than holding the whole file in memory.
constexpr std::size_t kMaxWaiting = 8;

struct Block {
  std::unique_ptr<char[]> bytes;
  std::size_t size = 0;
};

}  // namespace

// The stream buffer: the put area is the block being filled; a full block
// goes to the queue and the thread writes it.
class BackgroundOutput::Blocks : public std::streambuf {
 public:
  Blocks(std::filesystem::path path, std::ofstream file) : path_(std::move(path)), file_(std::move(file)) {
    current_ = freshBlock();
    setp(current_.bytes.get(), current_.bytes.get() + kBlockBytes);
    try {
      thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
      // No thread: handOver writes the blocks itself.
    }
  }

  ~Blocks() override { stop(); }

  // Hands over the last block, waits for the thread and closes the file;
  // returns 0 or the system error of the first failed write.
  int finish() {
    handOver();
    stop();
    if (error_ == 0) {
      file_.flush();
      if (!file_) error_ = errno ? errno : EIO;
    }
    file_.close();
    if (error_ == 0 && file_.fail()) error_ = errno ? errno : EIO;
    return error_;
  }

  const std::filesystem::path& path() const { return path_; }

 protected:
  int_type overflow(int_type c) override {
    handOver();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  std::streamsize xsputn(const char* s, std::streamsize n) override {
    std::streamsize left = n;
    while (left > 0) {
      if (pptr() == epptr()) handOver();
      const std::streamsize room = epptr() - pptr();
      const std::streamsize k = left < room ? left : room;
      std::memcpy(pptr(), s, static_cast<std::size_t>(k));
      pbump(static_cast<int>(k));
      s += k;
      left -= k;
    }
    return n;
  }

  int sync() override {
    handOver();
    return 0;
  }

 private:
  Block freshBlock() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!spare_.empty()) {
        Block b = std::move(spare_.back());
        spare_.pop_back();
        return b;
      }
    }
    Block b;
    b.bytes = std::make_unique<char[]>(kBlockBytes);
    return b;
  }

  // Writes one block to the file unless an earlier write failed.
  void writeBlock(const Block& b) {
    if (error_ != 0 || b.size == 0) return;
    errno = 0;
    file_.write(b.bytes.get(), static_cast<std::streamsize>(b.size));
    if (!file_) error_ = errno ? errno : EIO;
  }

  // Queues the filled part of the current block and starts a new one.
  void handOver() {
    current_.size = static_cast<std::size_t>(pptr() - pbase());
    if (current_.size == 0) return;
    if (!thread_.joinable()) {
      writeBlock(current_);
    } else {
      std::unique_lock<std::mutex> lock(mutex_);
      roomLeft_.wait(lock, [this] { return waiting_.size() < kMaxWaiting; });
      waiting_.push_back(std::move(current_));
      lock.unlock();
      ready_.notify_one();
      current_ = freshBlock();
    }
    current_.size = 0;
    setp(current_.bytes.get(), current_.bytes.get() + kBlockBytes);
  }

  void run() {
    for (;;) {
      Block b;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return !waiting_.empty() || done_; });
        if (waiting_.empty()) return;
        b = std::move(waiting_.front());
        waiting_.pop_front();
      }
      roomLeft_.notify_one();
      writeBlock(b);
      b.size = 0;
      std::lock_guard<std::mutex> lock(mutex_);
      spare_.push_back(std::move(b));
    }
  }

  // Lets the thread write what is queued and waits for it.
  void stop() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    ready_.notify_one();
    thread_.join();
  }

  std::filesystem::path path_;
  std::ofstream file_;
  Block current_;
  std::mutex mutex_;
  std::condition_variable ready_;     // a block is waiting, or the end
  std::condition_variable roomLeft_;  // the queue has room again
  std::deque<Block> waiting_;
  std::vector<Block> spare_;
  bool done_ = false;
  int error_ = 0;  // written by the thread until it is joined
  std::thread thread_;
};

BackgroundOutput::BackgroundOutput(const std::filesystem::path& path)
    : std::ostream(nullptr), blocks_(std::make_unique<Blocks>(path, openPassOutput(path))) {
  rdbuf(blocks_.get());
}

BackgroundOutput::~BackgroundOutput() {
  try {
    if (blocks_) blocks_->finish();
  } catch (...) {
    // An output left unclosed belongs to a pass that failed already.
  }
}

void BackgroundOutput::close() {
  if (!blocks_) return;
  const int error = blocks_->finish();
  const std::filesystem::path path = blocks_->path();
  rdbuf(nullptr);
  blocks_.reset();
  if (error != 0) throw PassFailure(platform::withSystemError("can't write file " + path.string(), error));
}

}  // namespace dm
