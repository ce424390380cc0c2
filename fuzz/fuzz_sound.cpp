// The sound file check of MP3 and RMP files, the RIFF chunk walk and the
// unwrapping of RMP files when sounds are packed.
#include <sstream>

#include "fuzz_util.h"
#include "pictures/riff_chunk.h"
#include "intake/sound_file.h"
#include "media/sound_package.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  dm::CheckSoundFile(dm::fuzz::writeScratch("in.mp3", bytes));
  dm::CheckSoundFile(dm::fuzz::writeScratch("in.rmp", bytes));
  dm::findRiffDataChunk(bytes, dm::kRmpFirstChunk);
  std::istringstream in{std::string(bytes)};
  std::ostringstream out;
  dm::sound::unwrapRmp(in, out);
  return 0;
}
