// The state of one run, passed to every phase: the run-wide options, the
// component parameter blocks, the work paths, the listed media and the run
// flags. There is no other process-wide mutable state.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "conversion/conversion_state.h"
#include "intake/intake_state.h"
#include "media/media_phases.h"
#include "textio/case_fold.h"
#include "textio/wide_line.h"
#include "work/work.h"

namespace dm {

namespace fs = std::filesystem;

// Codes of the build status messages. Most are the ids of the status
// picture that shows the matching message.
namespace status {
inline constexpr int kCheckDone = 180;      // check finished; review the error list
inline constexpr int kBuildDone = 1022;     // build finished; deliver
inline constexpr int kTooManyTexts = 1023;  // more than one text file listed
inline constexpr int kNoText = 1024;        // no text file, or it is empty
inline constexpr int kReportOnly = 1029;    // the run ends after the check; deliver the report
inline constexpr int kCreated = 1032;       // the result picture
inline constexpr int kNotWritable = 1034;   // the work folder is not writable
inline constexpr int kTooLarge = 1036;      // the container is 4 GiB or larger
inline constexpr int kDiskFull = 1038;      // not enough free space, or the disk filled up
inline constexpr int kPassFailed = 1040;    // a pass failed; its text comes with it

// The pictures shown while a pass runs. They share their ids with the
// messages that end the other pass's wait.
inline constexpr int kChecking = kReportOnly;  // "データチェック中...", while the check pass runs
inline constexpr int kBuilding = kBuildDone;   // "作成中...", while the build pass runs
}  // namespace status

// Receives the build status messages. The batch mode and the window
// implement it; `text` is the failure text for kPassFailed, else empty.
class StatusObserver {
 public:
  virtual ~StatusObserver() = default;
  virtual void onStatus(int code, const std::string& text) = 0;
};

struct RunState {
  BuildOptions options;
  ComponentParams params;

  fs::path workBase;  // holds TempUsr, the lock file and the write probe
  WorkPaths paths;
  fs::path startDir;  // the current directory at start-up: batch delivery

  std::vector<fs::path> fileList;  // as listed by the window or the folder scan
  fs::path sourceTextPath;
  MediaList mediaList;
  MediaTotals mediaTotals;

  std::uint32_t validRecordCount = 0;
  bool reportOnly = false;
  bool cleanupAfterRun = true;
  bool batchMode = false;
  bool workbookCellStyles = false;  // a workbook source keeps its cells' styles as markup

  std::uint32_t entryCount = 0;
  std::vector<std::u16string> tagList;

  ConversionState conversion;  // media registration, settings, menu depth
  IntakeState intake;          // error list, check counters, media counters
  MediaPhaseState mediaPhases;  // cover picture flag of the bitmap phase

  // Warnings of the build for the run's summary: pictures and sounds that
  // were listed but could not be read when the build came to them.
  std::vector<std::string> warnings;

  StatusObserver* observer = nullptr;
  // Where the phases report their names, progress and log texts; null: nobody listens.
  ProgressSink* sink = nullptr;

  ProgressSink& progress() const { return sink ? *sink : quietSink(); }

  void send(int code, const std::string& text = {}) const {
    if (observer) observer->onStatus(code, text);
  }

  // The reset of every check pass.
  void resetOptions() {
    options = BuildOptions{};
    params = ComponentParams{};
  }
  // The reset of the pre-build checks and the tree preparation.
  void resetRunLists() {
    sourceTextPath.clear();
    mediaList.clear();
    mediaTotals = MediaTotals{};
  }
};

}  // namespace dm
