#include "driver/delivery.h"

#include "driver/work_tree.h"
#include "platform/platform.h"

namespace dm {

std::error_code copyWithConfirmation(const fs::path& from, const fs::path& to, OverwriteConfirmer& confirm,
                                     bool* refused) {
  if (refused) *refused = false;
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(to, ec))) return platform::copyFile(from, to, false);
  if (!confirm.confirmOverwrite(from, to)) {
    if (refused) *refused = true;
    return {};
  }
  return platform::copyFile(from, to, true);
}

int deliver(RunState& state, const fs::path& outputFolder, OverwriteConfirmer& confirm, DeliveredFiles* delivered) {
  std::error_code ec;
  if (!fs::is_directory(outputFolder, ec)) fs::create_directories(outputFolder, ec);
  const std::string name = sourceName(state.sourceTextPath);

  // A full disk has its own status; any other failed copy fails the run with
  // the file and the reason, never passes for a delivered file, and names
  // what was written before it.
  std::vector<fs::path> written;
  auto copy = [&](const fs::path& from, const fs::path& to) {
    bool refused = false;
    const std::error_code error = copyWithConfirmation(from, to, confirm, &refused);
    if (!error) {
      if (!refused) written.push_back(to);
      if (delivered) (refused ? delivered->kept : delivered->written).push_back(to);
      return 0;
    }
    if (error == std::errc::no_space_on_device) {
      state.send(status::kDiskFull);
      return status::kDiskFull;
    }
    std::string text = "cannot write " + to.string() + ": " + error.message();
    for (const fs::path& file : written) text += "; " + file.string() + " was written";
    state.send(status::kPassFailed, text);
    return status::kPassFailed;
  };

  if (!state.reportOnly) {
    const fs::path container = workContainerPath(state);
    if (fs::exists(container, ec)) {
      if (fs::file_size(container, ec) >= kMaxContainerBytes && !ec) {
        state.send(status::kTooLarge);
        return status::kTooLarge;
      }
      if (const int result = copy(container, deliveredContainerPath(outputFolder, name))) return result;
    }
  }
  const fs::path report = workReportPath(state);
  if (fs::exists(report, ec)) {
    if (const int result = copy(report, deliveredReportPath(outputFolder, name))) return result;
  }
  return 0;
}

BatchDelivery deliverBatch(const RunState& state) {
  const std::string name = sourceName(state.sourceTextPath);
  std::error_code ec;
  BatchDelivery result;
  auto copy = [&](const fs::path& from, const fs::path& to) {
    if (!fs::exists(from, ec)) return true;
    if (std::error_code err = platform::copyFile(from, to, true)) {
      result.error = err;
      result.failedPath = to;
      return false;
    }
    result.written.push_back(to);
    return true;
  };
  if (!state.reportOnly && !copy(workContainerPath(state), deliveredContainerPath(state.startDir, name)))
    return result;
  copy(workReportPath(state), deliveredReportPath(state.startDir, name));
  return result;
}

}  // namespace dm
