#include "ui/display.h"

#include <gtest/gtest.h>

namespace dm::ui {
namespace {

TEST(Display, TheWindowNeedsADisplayOrAPlatformThatDoesWithoutOne) {
  struct Case {
    DisplayEnvironment env;
    bool canShow;
  } cases[] = {
      {{"", "", ""}, false},
      {{":0", "", ""}, true},
      {{"", "wayland-0", ""}, true},
      {{"", "", "offscreen"}, true},
      {{"", "", "minimal"}, true},
      {{"", "", "offscreen:fontengine=freetype"}, true},
      {{"", "", "xcb"}, false},
      {{"", "", "wayland"}, false},
      {{"", "", "wayland-egl;xcb"}, false},
      {{"", "", "xcb;offscreen"}, true},
      {{"", "", ";"}, false},
      {{":0", "", "xcb"}, true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(canShowWindow(c.env), c.canShow)
        << "DISPLAY=" << c.env.display << " WAYLAND_DISPLAY=" << c.env.waylandDisplay
        << " QT_QPA_PLATFORM=" << c.env.qpaPlatform;
}

}  // namespace
}  // namespace dm::ui
