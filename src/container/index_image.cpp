#include "container/index_image.h"

#include <cerrno>
#include <fstream>

#include "textio/byte_order.h"
#include "images/work_file.h"
#include "platform/failure.h"
#include "platform/platform.h"

namespace dm::container {

std::string indexImageBytes(const BuildHeader& header) {
  std::string b;
  appendLE16(b, 0);
  for (std::uint32_t i = 0; i < kIndexKindSlots; ++i) appendLE16(b, 0xFFFF);
  appendZeros(b, 6);
  appendByte(b, header.indexSettings);
  appendByte(b, header.indexOption);
  appendByte(b, kIndexFormatByte);
  appendByte(b, 0);
  appendZeros(b, 2);
  return b;
}

void writeIndexImage(const fs::path& path, const BuildHeader& header) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure(platform::withSystemError("can't create file " + path.string(), errno));
  const std::string b = indexImageBytes(header);
  out.write(b.data(), static_cast<std::streamsize>(b.size()));
  out.flush();
  requireWritten(out, path);
}

}  // namespace dm::container
