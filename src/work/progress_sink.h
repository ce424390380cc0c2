// The one voice of a run. Library code never writes to standard output: a
// phase tells its sink when it starts, how far it has come where it knows
// the total, and the texts it defines (the compiler's progress lines, notes
// such as a missing optional table). The batch command and the window each
// provide a sink and decide what the user sees; tests record what is said.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

namespace dm {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  // A phase starts. `name` says what it does, e.g. "compiling the dictionary".
  virtual void phase(std::string_view name) = 0;
  // The current phase has done `done` of `total` units (total > 0).
  virtual void progress(std::uint64_t done, std::uint64_t total) = 0;
  // One text of a phase, without its line end.
  virtual void log(std::string_view line) = 0;
};

// A sink that drops everything; what a phase gets when nobody listens.
ProgressSink& quietSink();

// An output stream for code that writes its texts through std::ostream:
// every line written to it goes to sink.log, without its line end. A line
// is ended by LF or CR (progress lines that rewrote themselves on a console
// end with CR); empty lines are dropped. The last unended line is logged
// when the stream is flushed or destroyed.
class SinkLogStream : public std::ostream {
 public:
  explicit SinkLogStream(ProgressSink& sink);
  ~SinkLogStream() override;

 private:
  class Buffer : public std::streambuf {
   public:
    explicit Buffer(ProgressSink& sink) : sink_(sink) {}
    void flushLine();

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

   private:
    ProgressSink& sink_;
    std::string line_;
  };
  Buffer buffer_;
};

// Reports progress of a loop to a sink at most `steps` times over its
// total, so that a phase can call step() for every unit it does.
class ProgressCounter {
 public:
  ProgressCounter(ProgressSink& sink, std::uint64_t total, std::uint64_t steps = 100);
  void step(std::uint64_t units = 1);
  // Reports done == total.
  void finish();

 private:
  ProgressSink& sink_;
  std::uint64_t total_;
  std::uint64_t every_;
  std::uint64_t done_ = 0;
  std::uint64_t next_;
};

}  // namespace dm
