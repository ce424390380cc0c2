// What a batch run tells its user on standard error, and the run's log file.
// Standard error carries the run's messages (failures, warnings, notes) and,
// depending on where it goes and on -q and -v, its progress:
//   on a terminal  one line that rewrites itself: the phase and, where the
//                  phase knows its total, a bar and done/total; cleared at the end
//   elsewhere      one line per phase ("drillmaker: compiling the dictionary")
//   quiet          no progress at all
//   verbose        besides the progress, every log text of the phases
// The log file, when one is open, gets everything: the phase names, every
// log text and every message, so that nothing said in a run is lost.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <string_view>

#include "work/progress_sink.h"

namespace dm {

namespace fs = std::filesystem;

// The widest progress line: a longer one would wrap on a terminal of 80
// columns and stop rewriting itself.
inline constexpr std::size_t kProgressLineWidth = 79;

class BatchConsole : public ProgressSink {
 public:
  enum class Detail { Quiet, Phases, Verbose };

  // `terminal`: `err` is shown on a terminal, so a progress line may rewrite itself.
  BatchConsole(std::ostream& err, bool terminal, Detail detail);
  // Clears the progress line.
  ~BatchConsole() override;
  BatchConsole(const BatchConsole&) = delete;
  BatchConsole& operator=(const BatchConsole&) = delete;

  // Starts the log file at `path`, replacing an earlier one, with `heading`
  // as its first line. Returns the system's error number when the file
  // cannot be opened (the run then goes on without a log), else 0.
  int openLog(const fs::path& path, std::string_view heading);

  // A message to the user: on standard error (above the progress line) and
  // in the log. `text` is one or more lines; a missing last line end is added.
  void say(std::string_view text);
  // A note on how the run went (e.g. the encoding read): as say(), but not
  // on standard error when quiet.
  void note(std::string_view text);
  // A line for the log alone (the run's result, which goes to standard output).
  void record(std::string_view line);
  // Clears the progress line; the next progress draws it again.
  void clearProgress();

  void phase(std::string_view name) override;
  void progress(std::uint64_t done, std::uint64_t total) override;
  void log(std::string_view line) override;

 private:
  void draw(std::string text);
  // Writes `text` (ended by a line end) on standard error, above the
  // progress line, which is drawn again below it.
  void printAbove(std::string_view text);

  std::ostream& err_;
  const bool terminal_;
  const Detail detail_;
  std::ofstream log_;
  std::string phase_;
  std::string current_;  // the progress line as it should be shown; "" for none
  std::string drawn_;    // the progress line on the terminal; "" when none is shown
};

}  // namespace dm
