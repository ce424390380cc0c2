#include "workbook/workbook.h"

#include <fstream>

#include "platform/failure.h"
#include "textio/case_fold.h"
#include "workbook/readers.h"

namespace dm::workbook {

namespace {

// The mark of a compound file: how an encrypted Office Open XML workbook is
// stored (the package inside it is encrypted).
constexpr std::string_view kCompoundFileMark("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

[[noreturn]] void encrypted(const std::string& label) {
  throw PassFailure("The workbook " + label +
                    " is encrypted or protected by a password. Save it without a password and try again.");
}

std::string textOf(ZipPackage& package, Kind kind, const Options& options) {
  SheetText sheet(package.label(), kMaxRows, options.maxTextBytes);
  if (kind == Kind::Xlsx)
    readXlsx(package, options, sheet);
  else
    readOds(package, options, sheet);
  return sheet.exportText();
}

}  // namespace

Kind kindOf(const std::filesystem::path& path) {
  const std::string extension = lowerCaseExtension(path.filename().string());
  return extension == ".xlsx" ? Kind::Xlsx : extension == ".ods" ? Kind::Ods : Kind::None;
}

std::string exportText(const std::filesystem::path& path, const Options& options) {
  const std::string label = path.filename().string();
  char head[8] = {};
  {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw PassFailure("can't open the source text " + path.string());
    in.read(head, sizeof head);
  }
  if (std::string_view(head, sizeof head) == kCompoundFileMark) encrypted(label);
  ZipPackage package(path, label, kMaxUnpackedBytes);
  return textOf(package, kindOf(path), options);
}

std::string exportText(std::string_view bytes, Kind kind, const std::string& label, const Options& options) {
  if (bytes.starts_with(kCompoundFileMark)) encrypted(label);
  ZipPackage package(bytes, label, kMaxUnpackedBytes);
  return textOf(package, kind, options);
}

}  // namespace dm::workbook
