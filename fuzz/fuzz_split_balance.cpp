// The split and balancing passes on arbitrary lines: the input bytes are the
// UTF-16LE text after the byte order mark; the split pass's output feeds the
// balancing pass, as in a build.
#include <sstream>

#include "conversion/balance_pass.h"
#include "conversion/split_pass.h"
#include "fuzz_util.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string("\xFF\xFE", 2) + std::string(reinterpret_cast<const char*>(data), size));
  std::stringstream split, balanced, trace;
  dm::splitPass(in, split, trace);
  split.seekg(0);
  dm::balancePass(split, balanced);
  return 0;
}
