// Small packages built in memory for the workbook tests.
#pragma once

#include <zip.h>

#include <map>
#include <string>

#include "support/temp_dir.h"

namespace dm::test {

// A zip archive (deflated) holding `parts`, name -> bytes.
inline std::string zipOf(const std::map<std::string, std::string>& parts) {
  TempDir dir;
  const fs::path file = dir / "package.zip";
  int error = 0;
  zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (!archive) return {};
  for (const auto& [name, bytes] : parts) {
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE);
  }
  zip_close(archive);
  return readFile(file);
}

// An Office Open XML workbook whose first sheet has the <sheetData> content
// `rows`, with the shared strings `sharedStrings` (<si> items) when given.
inline std::string xlsxOf(const std::string& rows, const std::string& sharedStrings = {},
                          const std::string& styles = {}) {
  std::map<std::string, std::string> parts;
  parts["xl/workbook.xml"] =
      R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
      R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
      R"(<sheets><sheet name="Q" sheetId="1" r:id="rId1"/></sheets></workbook>)";
  parts["xl/_rels/workbook.xml.rels"] =
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
      R"(</Relationships>)";
  parts["xl/worksheets/sheet1.xml"] =
      R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)" + rows +
      "</sheetData></worksheet>";
  if (!sharedStrings.empty())
    parts["xl/sharedStrings.xml"] =
        R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" + sharedStrings + "</sst>";
  if (!styles.empty())
    parts["xl/styles.xml"] =
        R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" + styles + "</styleSheet>";
  return zipOf(parts);
}

// An OpenDocument spreadsheet whose body is `spreadsheet` (the content of
// <office:spreadsheet>).
inline std::string odsOf(const std::string& spreadsheet, const std::string& automaticStyles = {}) {
  std::map<std::string, std::string> parts;
  parts["mimetype"] = "application/vnd.oasis.opendocument.spreadsheet";
  parts["content.xml"] =
      R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" )"
      R"(xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" )"
      R"(xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" )"
      R"(xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" )"
      R"(xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0">)"
      "<office:automatic-styles>" + automaticStyles + "</office:automatic-styles>"
      "<office:body><office:spreadsheet>" + spreadsheet + "</office:spreadsheet></office:body></office:document-content>";
  return zipOf(parts);
}

}  // namespace dm::test
