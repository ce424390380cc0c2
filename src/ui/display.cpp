#include "ui/display.h"

#include <cstdlib>
#include <string_view>

namespace dm::ui {

namespace {

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The platforms that talk to an X or Wayland display server.
bool needsDisplayServer(std::string_view platform) {
  return platform == "xcb" || platform.substr(0, 7) == "wayland";
}

}  // namespace

DisplayEnvironment DisplayEnvironment::current() {
  return {variable("DISPLAY"), variable("WAYLAND_DISPLAY"), variable("QT_QPA_PLATFORM")};
}

bool canShowWindow(const DisplayEnvironment& env) {
  if (!env.display.empty() || !env.waylandDisplay.empty()) return true;
  std::string_view choices = env.qpaPlatform;
  while (!choices.empty()) {
    const std::size_t end = choices.find(';');
    std::string_view choice = choices.substr(0, end);
    choice = choice.substr(0, choice.find(':'));
    if (!choice.empty() && !needsDisplayServer(choice)) return true;
    choices = end == std::string_view::npos ? std::string_view() : choices.substr(end + 1);
  }
  return false;
}

}  // namespace dm::ui
