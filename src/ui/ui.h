// The application window on Qt 6 Widgets: the file list of a drill, the run
// with its status pictures, and the dialogs. This is the only module that
// uses Qt; the build logic it drives lives in src/driver.
#pragma once

namespace dm::ui {

// Opens the window and returns the process's exit status when it closes.
// A second window instance ends at once, silently (status 0); a work folder
// where the lock file cannot be created is named in a message (status 2). With
// `keepWorkTree` ("/d") the work files stay after each run.
int runWindow(bool keepWorkTree, int& argc, char** argv);

}  // namespace dm::ui
