// The workbook reader on arbitrary input. The first byte picks what the rest
// is: a whole .xlsx or .ods package; the XML parts of an .xlsx (sheet,
// shared strings and styles, separated by NUL bytes) or the content.xml of
// an .ods, packed into an intact package; or a number format code with a
// value. Every failure must be a PassFailure.
#include <zip.h>

#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_util.h"
#include "platform/failure.h"
#include "workbook/number_format.h"
#include "workbook/workbook.h"

namespace {

using dm::workbook::Kind;

std::string packageOf(const std::map<std::string, std::string>& parts) {
  const std::filesystem::path file = dm::fuzz::scratch() / "package.zip";
  int error = 0;
  zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) return {};
  for (const auto& [name, bytes] : parts)
    zip_file_add(archive, name.c_str(), zip_source_buffer(archive, bytes.data(), bytes.size(), 0), ZIP_FL_OVERWRITE);
  zip_close(archive);
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> pieces(std::string_view bytes, std::size_t count) {
  std::vector<std::string> out;
  while (out.size() + 1 < count) {
    const std::size_t nul = bytes.find('\0');
    if (nul == std::string_view::npos) break;
    out.emplace_back(bytes.substr(0, nul));
    bytes.remove_prefix(nul + 1);
  }
  out.emplace_back(bytes);
  out.resize(count);
  return out;
}

void convert(const std::string& package, Kind kind, bool cellStyles) {
  dm::workbook::Options options;
  options.cellStyles = cellStyles;
  try {
    dm::workbook::exportText(package, kind, "fuzz", options);
  } catch (const dm::PassFailure&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned mode = data[0];
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool cellStyles = mode & 0x80;
  switch (mode & 0x7F) {
    case 0:
      convert(std::string(rest), Kind::Xlsx, cellStyles);
      break;
    case 1:
      convert(std::string(rest), Kind::Ods, cellStyles);
      break;
    case 2: {
      const std::vector<std::string> xml = pieces(rest, 3);
      convert(packageOf({{"xl/workbook.xml", R"(<workbook><sheets><sheet r:id="rId1"/></sheets></workbook>)"},
                         {"xl/_rels/workbook.xml.rels",
                          R"(<Relationships><Relationship Id="rId1" Target="worksheets/sheet1.xml"/></Relationships>)"},
                         {"xl/worksheets/sheet1.xml", xml[0]},
                         {"xl/sharedStrings.xml", xml[1]},
                         {"xl/styles.xml", xml[2]}}),
              Kind::Xlsx, cellStyles);
      break;
    }
    case 3:
      convert(packageOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                         {"content.xml", std::string(rest)}}),
              Kind::Ods, cellStyles);
      break;
    case 4: {
      if (rest.size() < sizeof(double)) break;
      double value;
      std::memcpy(&value, rest.data(), sizeof value);
      dm::workbook::formatNumber(value, rest.substr(sizeof value));
      break;
    }
    default:
      break;
  }
  return 0;
}
