// Streaming XML over expat: the parts of a workbook are parsed piece by piece
// as they are unpacked, never held as a whole document tree.
#pragma once

#include <string>
#include <string_view>

#include "workbook/zip_package.h"

namespace dm::workbook {

// What a parse reports. Element and attribute names are given without their
// namespace prefix ("table:table-cell" arrives as "table-cell").
class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  // `attributes` is expat's list: name, value, name, value, ..., null.
  virtual void start(std::string_view name, const char** attributes) = 0;
  virtual void end(std::string_view name) = 0;
  virtual void text(std::string_view utf8) = 0;
};

// The name without its namespace prefix.
std::string_view localName(std::string_view name);

// The value of the attribute whose local name is `name`, or null.
const char* attribute(const char** attributes, std::string_view name);

// Parses the part `part` of `package` into `handler`. Throws PassFailure
// naming the part when it is not well-formed XML.
void parsePart(ZipPackage& package, const std::string& part, XmlHandler& handler);

}  // namespace dm::workbook
