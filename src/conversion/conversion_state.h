// The run-wide state of the entry conversion, kept by the driver for the run:
// the media registration (picture and sound ids and the three registration
// lists the bitmap and sound phases read), the settings of the build
// (MenuLocation, CoverPicture), the keyword lists and the deepest menu level.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace dm {

// Picture and sound registration of one build.
struct MediaRegistration {
  bool defaultPictureRegistered = false;
  std::uint32_t nextMonochrome = 21;  // the default picture takes 20 (0x14)
  // Lower-cased file name -> picture id text ("0015", "020001", ...).
  std::map<std::u16string, std::u16string> monochromeIds;
  std::map<std::u16string, std::u16string> otherIds;
  std::uint64_t pictureBytes = 0;  // converted picture data so far
  // Lower-cased names whose conversion failed (they keep the default id).
  std::set<std::u16string> refusedPictures;

  // Lower-cased file name -> 8-digit sound id ("ffffffff" when refused).
  std::map<std::u16string, std::u16string> soundIds;
  std::uint32_t nextSound = 0;
  std::uint64_t soundBytes = 0;  // source sound files so far

  // The registration lists, in registration order. Picture entries are the
  // number in 4 lower-case hex digits followed by the lower-cased file name
  // ("0014default.bmp"; no "02" prefix); sound entries the 8-digit id
  // followed by the lower-cased file name.
  std::vector<std::u16string> monochromeList;
  std::vector<std::u16string> otherList;
  std::vector<std::u16string> soundList;
};

struct ConversionState {
  MediaRegistration media;
  // Next other-picture number. Counts on across the builds of one program
  // run, so it is not part of reset().
  std::uint32_t nextOtherPicture = 1;

  // The menu location of the settings line: its first 16 code units,
  // zero-filled.
  std::array<char16_t, 16> menuLocation{};
  // The cover picture named by the settings line, as written (empty: none).
  std::u16string coverPicture;

  // Keyword lists of the conversion; no drill pass fills them, every check
  // pass empties them.
  std::vector<std::u16string> keywords;

  // Deepest level (1-4) the menu tree keeps; 0 before the menu is built.
  int menuDepth = 0;

  // The reset of every check pass: everything but nextOtherPicture.
  void reset() {
    media = MediaRegistration{};
    menuLocation.fill(0);
    coverPicture.clear();
    keywords.clear();
    menuDepth = 0;
  }
};

}  // namespace dm
