// The component converter on arbitrary text; the first byte picks the kind.
// A text the converter refuses ends the pass with PassFailure, as in a build.
#include <sstream>

#include "images/component_converter.h"
#include "platform/failure.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const int kKinds[] = {0, 1, 4, 7};
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  std::ostringstream out;
  try {
    dm::convertComponent(in, out, kKinds[data[0] % 4], data[0] & 0x80);
  } catch (const dm::PassFailure&) {
  }
  return 0;
}
