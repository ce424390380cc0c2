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
    l["a.bmp"] = dm::fuzz::writeScratch("a.bmp", dm::fuzz::tinyBmp());
    l["s.mp3"] = dm::fuzz::writeScratch("s.mp3", dm::fuzz::tinyMp3());
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
