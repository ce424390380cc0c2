// The container reader on arbitrary bytes.
#include <string_view>

#include "readback/readback.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  dm::readback::inspectContainer(std::string_view(reinterpret_cast<const char*>(data), size), true);
  return 0;
}
