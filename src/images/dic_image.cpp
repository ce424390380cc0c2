#include "images/dic_image.h"

#include <fstream>
#include <string>

#include "images/component_converter.h"
#include "images/work_file.h"
#include "platform/failure.h"
#include "textio/byte_order.h"
#include "work/work_files.h"

namespace dm {

void BuildDicImage(const fs::path& dictOutDir, std::string_view internalName, ProgressSink& sink) {
  const fs::path image = dictOutDir / workfiles::kDicImage;
  std::ofstream out(image, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure("can't create file " + image.string());
  std::ofstream errors(dictOutDir / workfiles::kDicErrors, std::ios::trunc);

  const fs::path text = dictOutDir / workfiles::dictFile(internalName, workfiles::kCodedTextExt);
  std::optional<ComponentResult> r = ConvertComponent(text, kHexNibbles);
  const fs::path converted = convertedPath(text);
  std::uint64_t size = r ? r->size : 0;

  std::string header;
  appendLE32(header, size > 0 ? kDicTextOffset : 0);
  appendLE32(header, checked32(size, image.string()));
  appendZeros(header, kDicTextOffset - header.size());
  out.write(header.data(), static_cast<std::streamsize>(header.size()));
  if (!r || (size > 0 && !copyFileBytes(converted, size, out)))
    sink.log("No such file! " + converted.string());
  std::error_code ec;
  fs::remove(converted, ec);
  out.flush();
  requireWritten(out, image);
}

}  // namespace dm
