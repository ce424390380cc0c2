#include "conversion/settings_reader.h"

#include "intake/record_split.h"

namespace dm {

namespace {
constexpr int kMenuLocationField = 3;
constexpr int kCoverPictureField = 5;
}  // namespace

void readSettings(const ConversionContext& context, const PictureConverter& convert, std::u16string_view settings) {
  ConversionState& conv = context.conversion;
  SplitRecord r;
  splitRecord(settings, r);
  conv.menuLocation.fill(0);
  if (r.present(kMenuLocationField)) {
    std::u16string_view location = r.field(kMenuLocationField);
    for (std::size_t i = 0; i < location.size() && i < conv.menuLocation.size(); ++i) {
      conv.menuLocation[i] = location[i];
    }
  }
  conv.coverPicture.clear();
  if (r.present(kCoverPictureField)) {
    std::u16string_view cover = r.field(kCoverPictureField);
    registerPicture(context, convert, cover);
    conv.coverPicture.assign(cover);
  }
}

}  // namespace dm
