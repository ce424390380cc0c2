// Delivery of the finished container and check report to the user.
#pragma once

#include <system_error>
#include <vector>

#include "driver/run_state.h"

namespace dm {

// Asks whether an existing file may be replaced. The window shows its
// overwrite dialog; batch mode never asks.
class OverwriteConfirmer {
 public:
  virtual ~OverwriteConfirmer() = default;
  // True to replace the file `existing` by a copy of `replacement`.
  virtual bool confirmOverwrite(const fs::path& replacement, const fs::path& existing) = 0;
};

// Copies `from` to `to`; when `to` exists, only after `confirm` agrees.
// Returns the copy's error (ENOSPC for a full disk); a refused overwrite is
// not an error. `refused`, when given, tells whether the user kept `to`.
std::error_code copyWithConfirmation(const fs::path& from, const fs::path& to, OverwriteConfirmer& confirm,
                                     bool* refused = nullptr);

inline constexpr std::uint64_t kMaxContainerBytes = 4294967296ULL;  // 4 GiB

// What a window delivery did with the files it had to deliver, in the order
// it came to them (the container before the report).
struct DeliveredFiles {
  std::vector<fs::path> written;  // copied into the output folder
  std::vector<fs::path> kept;     // existing files the user chose to keep
};

// Window delivery into `outputFolder` (created when missing): the container
// (unless reportOnly) and the report, each with confirmation. Returns 0, or
// the status it has sent: 1036 for a container of 4 GiB or more, 1038 when
// the disk filled up, 1040 with "cannot write PATH: reason" when a copy
// failed otherwise (a folder that cannot be written, a name too long).
// `delivered`, when given, receives the delivered paths that were written
// and those that were kept, also when the delivery stopped with a failure.
int deliver(RunState& state, const fs::path& outputFolder, OverwriteConfirmer& confirm,
            DeliveredFiles* delivered = nullptr);

// The outcome of a batch delivery: the first copy that failed, if any.
struct BatchDelivery {
  std::error_code error;
  fs::path failedPath;
  std::vector<fs::path> written;  // delivered before the failure, or all of them
};

// Batch delivery into state.startDir: the container (unless reportOnly) and
// the report, overwriting, without a size test. A missing work file is not
// delivered and not an error.
BatchDelivery deliverBatch(const RunState& state);

}  // namespace dm
