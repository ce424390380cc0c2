// The contexts the driver builds for the phases from the run state.
#include "driver/phase_contexts.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dm {
namespace {

using container::ContainerSettings;

TEST(ContainerSettings, TakenFromTheRun) {
  RunState state;
  state.entryCount = 12;
  EXPECT_FALSE(containerSettingsOf(state).howToUsePresent);
  state.intake.howToUsePresent = 1;
  const std::u16string location = u"Quiz/Level 1";
  std::copy(location.begin(), location.end(), state.conversion.menuLocation.begin());
  state.conversion.coverPicture = u"Cover.JPG";
  state.mediaPhases.coverPictureFlag = 1;
  ContainerSettings s = containerSettingsOf(state);
  EXPECT_TRUE(s.howToUsePresent);
  EXPECT_EQ(s.entryCount, 12u);
  EXPECT_EQ(s.menuLocation, location);
  EXPECT_FALSE(s.coverPictureListed);  // not in the media list
  EXPECT_TRUE(s.coverPictureColour);
  EXPECT_FALSE(s.otherPicturesListed);
  state.mediaList["cover.jpg"] = "/x/Cover.JPG";
  state.conversion.media.otherList.push_back(u"0001a.jpg");
  s = containerSettingsOf(state);
  EXPECT_TRUE(s.coverPictureListed);
  EXPECT_TRUE(s.otherPicturesListed);
}

}  // namespace
}  // namespace dm
