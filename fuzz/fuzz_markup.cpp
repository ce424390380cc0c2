// The markup check on an arbitrary UTF-16 line, with every listed picture and
// sound usable.
#include "fuzz_util.h"
#include "intake/intake_state.h"
#include "intake/markup_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static dm::MediaList media = {{"a.bmp", "/nonexistent/a.bmp"}, {"s.mp3", "/nonexistent/s.mp3"}};
  std::u16string text = dm::fuzz::asUtf16(data, size);
  dm::IntakeState state;
  dm::CheckContext context;
  context.mediaList = &media;
  context.probePicture = [](const std::filesystem::path&, dm::PictureInfo& info) {
    info.kind = 2;
    info.width = 10;
    info.height = 10;
    return 1;
  };
  context.probeSound = [](const std::filesystem::path&) { return 0; };
  dm::checkMarkup(state, context, text);
  dm::isGoodColour(text);
  return 0;
}
