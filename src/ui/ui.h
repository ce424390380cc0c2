// The application window on Qt 6 Widgets: the file list of a drill, the run
// with its status pictures, and the dialogs. This is the only module that
// uses Qt; the build logic it drives lives in src/driver.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace dm::ui {

// Opens the window with `paths` (files and folders) in its list and returns
// the process's exit status when it closes. A second window instance ends
// at once, silently (status 0). A work folder where the lock file cannot be
// created is named on standard error, and the window opens showing the
// picture of an unwritable work folder with the reason; Make then tries the
// folder again. With `keepWorkTree` ("/d") the work files stay after each run.
int runWindow(bool keepWorkTree, const std::vector<std::string>& paths, int& argc, char** argv);

// Creates the work base and takes the instance lock in it. Returns 0 when
// `lock` holds it and the folder can be written, -1 when another process
// holds the lock, else the errno that stops it.
int claimWorkFolder(platform::InstanceLock& lock, const std::filesystem::path& workBase);

}  // namespace dm::ui
