// A whole batch build of a folder holding the input as its source text, a
// picture "a.bmp" and a sound "s.mp3": check pass, check report, build pass
// for the records that pass, delivery. Everything stays in a private scratch
// folder.
#include <sstream>

#include "driver/batch.h"
#include "fuzz_util.h"

namespace {

const std::filesystem::path& folder() {
  static const std::filesystem::path dir = [] {
    const std::filesystem::path d = dm::fuzz::scratch() / "drill";
    std::filesystem::create_directories(d);
    dm::fuzz::writeScratch("drill/a.bmp", dm::fuzz::tinyBmp());
    dm::fuzz::writeScratch("drill/s.mp3", dm::fuzz::tinyMp3());
    std::filesystem::create_directories(dm::fuzz::scratch() / "out");
    return d;
  }();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  dm::fuzz::writeScratch("drill/fuzz.txt", std::string_view(reinterpret_cast<const char*>(data), size));
  dm::CommandLine command;
  command.action = dm::CommandLine::Action::Batch;
  command.folder = folder().string();
  dm::BatchEnvironment env;
  env.workBase = dm::fuzz::scratch() / "base";
  env.startDir = dm::fuzz::scratch() / "out";
  env.documents = env.startDir;
  std::ostringstream err;
  dm::runBatch(command, env, err);
  return 0;
}
