// The whole check of a source file: code conversion, line normalisation,
// record, markup and media checks, over streams, with a small fixed media
// folder (one real picture, one sound).
#include <sstream>

#include "fuzz_util.h"
#include "intake/intake_state.h"
#include "intake/line_normaliser.h"
#include "intake/record_checker.h"
#include "intake/source_reader.h"

namespace {

const dm::MediaList& media() {
  static const dm::MediaList list = [] {
    dm::MediaList l;
    // A 2 x 2 one-bit BMP and three silent MPEG frames.
    const std::string bmp = std::string("BM\x46\0\0\0\0\0\0\0\x3e\0\0\0\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x01\0", 30) +
                            std::string(24, '\0') + std::string("\xff\xff\xff\0\0\0\0\0", 8) +
                            std::string("\x80\0\0\0\x40\0\0\0", 8);
    l["a.bmp"] = dm::fuzz::writeScratch("a.bmp", bmp);
    std::string mp3;
    for (int i = 0; i < 3; ++i) mp3 += std::string("\xFF\xFB\x90\x44", 4) + std::string(413, '\0');
    l["s.mp3"] = dm::fuzz::writeScratch("s.mp3", mp3);
    return l;
  }();
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream source(std::string(reinterpret_cast<const char*>(data), size));
  std::stringstream uni, log, normalised, checked;
  dm::convertSourceStream(source, uni, log);
  uni.seekg(0);
  dm::normaliseLines(uni, normalised);
  normalised.seekg(0);
  dm::IntakeState state;
  dm::CheckContext context;
  context.mediaList = &media();
  context.sourceName = u"fuzz.txt";
  dm::checkRecords(state, context, normalised, checked);
  return 0;
}
