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
  // the file and the reason, never passes for a delivered file.
  auto copy = [&](const fs::path& from, const fs::path& to) {
    bool refused = false;
    const std::error_code error = copyWithConfirmation(from, to, confirm, &refused);
    if (!error) {
      if (delivered) (refused ? delivered->kept : delivered->written).push_back(to);
      return 0;
    }
    if (error == std::errc::no_space_on_device) {
      state.send(status::kDiskFull);
      return status::kDiskFull;
    }
    state.send(status::kPassFailed, "cannot write " + to.string() + ": " + error.message());
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
  auto copy = [&](const fs::path& from, const fs::path& to) -> BatchDelivery {
    if (!fs::exists(from, ec)) return {};
    if (std::error_code err = platform::copyFile(from, to, true)) return {err, to};
    return {};
  };
  if (!state.reportOnly) {
    BatchDelivery r = copy(workContainerPath(state), deliveredContainerPath(state.startDir, name));
    if (r.error) return r;
  }
  return copy(workReportPath(state), deliveredReportPath(state.startDir, name));
}

}  // namespace dm
