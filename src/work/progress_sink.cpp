#include "work/progress_sink.h"

#include <algorithm>

namespace dm {

namespace {

class QuietSink : public ProgressSink {
 public:
  void phase(std::string_view) override {}
  void progress(std::uint64_t, std::uint64_t) override {}
  void log(std::string_view) override {}
};

}  // namespace

ProgressSink& quietSink() {
  static QuietSink sink;
  return sink;
}

SinkLogStream::SinkLogStream(ProgressSink& sink) : std::ostream(nullptr), buffer_(sink) { rdbuf(&buffer_); }

SinkLogStream::~SinkLogStream() { buffer_.flushLine(); }

void SinkLogStream::Buffer::flushLine() {
  if (!line_.empty()) sink_.log(line_);
  line_.clear();
}

SinkLogStream::Buffer::int_type SinkLogStream::Buffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  if (ch == '\n' || ch == '\r')
    flushLine();
  else
    line_.push_back(ch);
  return c;
}

std::streamsize SinkLogStream::Buffer::xsputn(const char* s, std::streamsize n) {
  for (std::streamsize i = 0; i < n; ++i) overflow(traits_type::to_int_type(s[i]));
  return n;
}

int SinkLogStream::Buffer::sync() {
  flushLine();
  return 0;
}

ProgressCounter::ProgressCounter(ProgressSink& sink, std::uint64_t total, std::uint64_t steps)
    : sink_(sink), total_(total), every_(std::max<std::uint64_t>(1, total / std::max<std::uint64_t>(1, steps))),
      next_(every_) {}

void ProgressCounter::step(std::uint64_t units) {
  done_ += units;
  if (total_ == 0 || done_ < next_) return;
  sink_.progress(std::min(done_, total_), total_);
  next_ = done_ + every_;
}

void ProgressCounter::finish() {
  if (total_ > 0) sink_.progress(total_, total_);
}

}  // namespace dm
