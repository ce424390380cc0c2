#include "driver/batch_console.h"

#include <cerrno>

namespace dm {

namespace {

constexpr std::size_t kBarCells = 20;

std::string progressLine(const std::string& phase, std::uint64_t done, std::uint64_t total) {
  if (done > total) done = total;
  const auto filled = static_cast<std::size_t>(done * kBarCells / total);
  return phase + " [" + std::string(filled, '#') + std::string(kBarCells - filled, '-') + "] " + std::to_string(done) +
         '/' + std::to_string(total);
}

}  // namespace

BatchConsole::BatchConsole(std::ostream& err, bool terminal, Detail detail)
    : err_(err), terminal_(terminal), detail_(detail) {}

BatchConsole::~BatchConsole() { clearProgress(); }

int BatchConsole::openLog(const fs::path& path, std::string_view heading) {
  errno = 0;
  log_.open(path, std::ios::binary | std::ios::trunc);
  if (!log_) return errno != 0 ? errno : EIO;
  log_ << heading << '\n';
  log_.flush();
  return 0;
}

void BatchConsole::printAbove(std::string_view text) {
  const std::string shown = current_;
  clearProgress();
  err_ << text;
  if (text.empty() || text.back() != '\n') err_ << '\n';
  err_.flush();
  draw(shown);
}

void BatchConsole::say(std::string_view text) {
  if (log_.is_open()) {
    log_ << text;
    if (text.empty() || text.back() != '\n') log_ << '\n';
    log_.flush();
  }
  printAbove(text);
}

void BatchConsole::note(std::string_view text) {
  if (detail_ != Detail::Quiet) {
    say(text);
    return;
  }
  record(text.substr(0, text.size() - (!text.empty() && text.back() == '\n')));
}

void BatchConsole::record(std::string_view line) {
  if (!log_.is_open()) return;
  log_ << line << '\n';
  log_.flush();
}

void BatchConsole::clearProgress() {
  current_.clear();
  if (drawn_.empty()) return;
  err_ << '\r' << std::string(drawn_.size(), ' ') << '\r';
  err_.flush();
  drawn_.clear();
}

void BatchConsole::phase(std::string_view name) {
  phase_ = name;
  if (log_.is_open()) {
    log_ << "== " << name << '\n';
    log_.flush();
  }
  if (detail_ == Detail::Quiet) return;
  if (terminal_) {
    draw(phase_);
  } else {
    err_ << "drillmaker: " << name << '\n';
    err_.flush();
  }
}

void BatchConsole::progress(std::uint64_t done, std::uint64_t total) {
  if (detail_ == Detail::Quiet || !terminal_ || total == 0) return;
  draw(progressLine(phase_, done, total));
}

void BatchConsole::log(std::string_view line) {
  if (log_.is_open()) log_ << line << '\n';
  if (detail_ == Detail::Verbose) printAbove(line);
}

void BatchConsole::draw(std::string text) {
  if (!terminal_ || text.empty()) return;
  if (text.size() > kProgressLineWidth) text.resize(kProgressLineWidth);
  current_ = text;
  if (text == drawn_) return;
  // Spaces over what is left of a longer line before.
  const std::size_t rest = drawn_.size() > text.size() ? drawn_.size() - text.size() : 0;
  err_ << '\r' << text << std::string(rest, ' ');
  err_.flush();
  drawn_ = std::move(text);
}

}  // namespace dm
