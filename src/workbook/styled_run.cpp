#include "workbook/styled_run.h"

#include <cctype>

namespace dm::workbook {

std::string plainText(const std::vector<StyledRun>& runs) {
  std::string text;
  for (const StyledRun& run : runs) text += run.text;
  return text;
}

std::string markedText(const std::vector<StyledRun>& runs) {
  const std::string plain = plainText(runs);
  if (plain.find('<') != std::string::npos) return plain;
  std::string out;
  std::size_t k = 0;
  while (k < runs.size()) {
    const RunStyle& style = runs[k].style;
    std::string text;
    for (; k < runs.size() && runs[k].style == style; ++k) text += runs[k].text;
    if (text.empty()) continue;
    std::string open, close;
    if (!style.colour.empty()) {
      open += "<TC color=\"" + style.colour + "\">";
      close = "</TC>" + close;
    }
    if (style.bold) {
      open += "<B>";
      close = "</B>" + close;
    }
    if (style.italic) {
      open += "<I>";
      close = "</I>" + close;
    }
    if (style.underline) {
      open += "<U>";
      close = "</U>" + close;
    }
    out += open + text + close;
  }
  return out;
}

std::string colourCode(std::string_view written) {
  if (written.starts_with("#")) written.remove_prefix(1);
  if (written.size() == 8) written.remove_prefix(2);
  if (written.size() != 6) return {};
  std::string code;
  for (char c : written) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
    code.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  return code == "000000" ? std::string() : code;
}

}  // namespace dm::workbook
