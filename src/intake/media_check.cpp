#include "intake/media_check.h"

#include <string>

#include "intake/sound_file.h"

namespace dm {

namespace {

constexpr std::size_t kMaxNameUnits = 260;

bool endsWithBlank(std::u16string_view name) {
  return !name.empty() && (name.back() == u' ' || name.back() == u'\u3000');
}

const std::filesystem::path* lookup(const CheckContext& context, std::u16string_view name) {
  return context.mediaList ? findMedia(*context.mediaList, name) : nullptr;
}

// Upper case of ASCII letters.
std::u16string upperAscii(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return out;
}

}  // namespace

int checkPicture(IntakeState& state, const CheckContext& context, std::u16string_view name, bool report) {
  if (name.empty()) return -1;
  const bool fresh = state.media.reportedPictures.emplace(name).second;
  const bool say = report && fresh;
  auto lineFinding = [&](int code) {
    if (say) addError(state, code, name, kLineEntry, false);
  };

  if (name.size() >= kMaxNameUnits || endsWithBlank(name)) {
    lineFinding(errc::kNoPictureFile);
    return -1;
  }
  const std::filesystem::path* path = lookup(context, name);
  if (!path) {
    lineFinding(errc::kNoPictureFile);
    return errc::kNoPictureFile;
  }
  PictureInfo info;
  const int result = context.probePicture ? context.probePicture(*path, info) : CheckFileFormat(*path, info);
  if (result <= 0 || info.height > 1500) {
    if (say) addError(state, errc::kFormatError, name, kPictureEntry, false);
    return errc::kFormatError;
  }
  if (info.kind == 2 && say) addError(state, errc::kMultiFrameGif, name, kPictureEntry, false);

  MediaCounters& media = state.media;
  if (media.pictureNames.find(name) == media.pictureNames.end()) {
    ++media.pictureCount;
    if (media.pictureCount > kMaxPictures) {
      addError(state, errc::kPictureLimit, u"", kSummaryEntry, false);
    } else {
      media.pictureNames.emplace(name);
    }
  }
  return result;
}

int checkSound(IntakeState& state, const CheckContext& context, std::u16string_view name, bool report) {
  const bool fresh = state.media.reportedSounds.emplace(name).second;
  const bool say = report && fresh;

  if (name.size() >= kMaxNameUnits) {
    if (say) addError(state, errc::kNoSoundFile, std::nullopt, kLineEntry, false);
    return -1;
  }
  if (endsWithBlank(name)) {
    if (say) addError(state, errc::kNoSoundFile, name, kLineEntry, false);
    return -1;
  }
  const std::size_t dot = name.rfind(u'.');
  const std::u16string extension = dot == std::u16string_view::npos ? u"" : upperAscii(name.substr(dot + 1));
  if (dot == std::u16string_view::npos || (extension != u"MP3" && extension != u"RMP")) {
    if (say) addError(state, errc::kBadExtension, name, kLineEntry, false);
    return -1;
  }
  const std::filesystem::path* path = lookup(context, name);
  if (!path) {
    if (say) addError(state, errc::kNoSoundFile, name, kLineEntry, false);
    return -1;
  }
  const int result = context.probeSound ? context.probeSound(*path) : CheckSoundFile(*path);
  if (result == -1) {
    if (say) addError(state, errc::kFormatError, name, kSoundEntry, false);
    return -1;
  }
  if (++state.media.soundReferences > kMaxSoundReferences) {
    addError(state, errc::kSoundLimit, std::nullopt, kLineEntry, false);
  }
  return result;
}

}  // namespace dm
