// FIFOs in the place of a user's file, and a guard for code that must not
// wait on them.
#pragma once

#include <filesystem>
#include <functional>

namespace dm::test {

namespace fs = std::filesystem;

// Creates a FIFO at `path` (parent folders included); false when it cannot.
bool makeFifo(const fs::path& path);

// Runs `body` on another thread and waits up to two seconds for it. When it
// is still running then (blocked opening or reading `fifo`), a writer opens
// the FIFO and closes it again so that the body can end, and the result is
// false.
bool endsWithoutWaitingOn(const fs::path& fifo, const std::function<void()>& body);

}  // namespace dm::test
