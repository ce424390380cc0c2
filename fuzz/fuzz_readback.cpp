// The container reader on arbitrary bytes, and the preview made of them
// (pictures decoded, the page and the JSON rendered in memory).
#include <sstream>
#include <string_view>

#include "readback/preview.h"
#include "readback/readback.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  dm::readback::inspectContainer(bytes, true);
  const dm::readback::PreviewModel model = dm::readback::buildPreview(bytes, "fuzz.drl");
  dm::readback::renderPreview(model);
  std::ostringstream json;
  dm::readback::printPreviewJson(model, json);
  return 0;
}
