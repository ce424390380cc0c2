// The component converter on arbitrary text; the first byte picks the kind.
#include <sstream>

#include "images/component_converter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const int kKinds[] = {0, 1, 4, 7};
  std::istringstream in(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
  std::ostringstream out;
  dm::convertComponent(in, out, kKinds[data[0] % 4], data[0] & 0x80);
  return 0;
}
