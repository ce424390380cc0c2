#include "conversion/media_registration.h"

#include <system_error>

#include "conversion/block_text.h"
#include "work/media_warnings.h"
#include "textio/case_fold.h"

namespace dm {

namespace bt = blocktext;
namespace fs = std::filesystem;

namespace {

void registerDefaultPicture(MediaRegistration& media) {
  if (media.defaultPictureRegistered) return;
  media.defaultPictureRegistered = true;
  std::u16string entry = bt::hexText(kDefaultPictureNumber, 4);
  entry.append(kDefaultPictureName);
  media.monochromeList.push_back(std::move(entry));
  media.nextMonochrome = kDefaultPictureNumber + 1;
}

PictureRegistration defaultPicture() { return {std::u16string(bt::kDefaultPictureId), false}; }

// A name that could leave the converted-picture folder.
bool unsafeFileName(std::u16string_view name) {
  return name == u"." || name == u".." || name.find(u'/') != std::u16string_view::npos ||
         name.find(u'\\') != std::u16string_view::npos || name.find(u'\0') != std::u16string_view::npos;
}

}  // namespace

PictureRegistration registerPicture(const ConversionContext& context, const PictureConverter& convert,
                                    std::u16string_view name) {
  ConversionState& conv = context.conversion;
  MediaRegistration& media = conv.media;
  registerDefaultPicture(media);

  while (!name.empty() && name.back() == u' ') name.remove_suffix(1);
  if (name.empty() || unsafeFileName(name)) return defaultPicture();
  const fs::path* source = findMedia(context.mediaList, name);
  if (!source) return defaultPicture();
  // A picture registered before keeps its id even once the numbers run out.
  std::u16string key = lowerCase(name);
  if (auto it = media.otherIds.find(key); it != media.otherIds.end()) return {it->second, true};
  if (auto it = media.monochromeIds.find(key); it != media.monochromeIds.end()) return {it->second, false};
  if (media.refusedPictures.count(key)) return defaultPicture();
  if (media.nextMonochrome + conv.nextOtherPicture >= kPictureNumberLimit) return defaultPicture();

  fs::path folder = workfiles::convertedPictureFolderPath(context.paths);
  std::error_code ec;
  fs::create_directories(folder, ec);
  PictureInfo info;
  int rc = convert ? convert(*source, folder / fs::path(key), kRegisteredPictureWidth,
                             kRegisteredPictureHeight, info)
                   : -1;
  if (rc < 0) {
    media.refusedPictures.insert(key);
    if (const std::error_code failure = mediaReadFailure(*source))
      context.warnings.push_back(unreadablePictureWarning(*source, failure));
    return defaultPicture();
  }

  std::uint64_t size = info.fileSize > 0 ? static_cast<std::uint64_t>(info.fileSize) : 0;
  std::uint64_t total = media.pictureBytes + size;
  if (total >= kMaxPictureBytes) {
    // Once the limit is reached every later new picture gets the default.
    if (media.pictureBytes < kMaxPictureBytes) media.pictureBytes = total;
    return defaultPicture();
  }
  media.pictureBytes = total;

  if (info.kind == 1 || info.kind == 4) {
    std::u16string number = bt::hexText(media.nextMonochrome++, 4);
    media.monochromeIds.emplace(key, number);
    media.monochromeList.push_back(number + key);
    return {number, false};
  }
  std::u16string number = bt::hexText(conv.nextOtherPicture++, 4);
  std::u16string id = std::u16string(bt::kOtherPicturePrefix) + number;
  media.otherIds.emplace(key, id);
  media.otherList.push_back(number + key);
  return {id, true};
}

std::u16string registerSound(const ConversionContext& context, std::u16string_view name) {
  MediaRegistration& media = context.conversion.media;
  std::u16string key = lowerCase(name);
  if (auto it = media.soundIds.find(key); it != media.soundIds.end()) return it->second;

  std::u16string refused(bt::kRefusedSoundId);
  if (media.soundBytes > kMaxSoundBytes) {
    media.soundIds.emplace(key, refused);
    return refused;
  }
  std::uint64_t size = 0;
  if (const fs::path* path = findMedia(context.mediaList, name)) {
    std::error_code ec;
    std::uintmax_t s = fs::file_size(*path, ec);
    if (!ec) size = s;
  }
  media.soundBytes += size;
  if (media.soundBytes > kMaxSoundBytes) {
    media.soundIds.emplace(key, refused);
    return refused;
  }
  std::u16string id = bt::hexText(media.nextSound++, 8);
  media.soundIds.emplace(key, id);
  media.soundList.push_back(id + key);
  return id;
}

}  // namespace dm
