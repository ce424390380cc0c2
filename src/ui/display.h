// Whether the window can open at all: without a display server the toolkit
// would end the process inside its start-up, so the program asks first.
#pragma once

#include <string>

namespace dm::ui {

// The variables that tell where the window would be shown; unset ones are
// empty.
struct DisplayEnvironment {
  std::string display;         // DISPLAY
  std::string waylandDisplay;  // WAYLAND_DISPLAY
  std::string qpaPlatform;     // QT_QPA_PLATFORM

  // The variables of this process.
  static DisplayEnvironment current();
};

// What the program says, on standard error, when it is started without a
// folder where no window can be shown (exit status 2).
inline constexpr const char* kNoDisplayMessage =
    "drillmaker: no display; to build without the window run: drillmaker FOLDER";

// True when an X or Wayland display is named, or when QT_QPA_PLATFORM names
// (among its ";"-separated choices, each possibly followed by ":options") a
// platform that needs neither, such as "offscreen".
bool canShowWindow(const DisplayEnvironment& env);

}  // namespace dm::ui
