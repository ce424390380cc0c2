// Runs of cell text with the font features the device can show, and the
// markup that keeps them.
#pragma once

#include <string>
#include <vector>

namespace dm::workbook {

// The features of a font that have a markup of their own.
struct RunStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  std::string colour;  // "RRGGBB" in upper case, empty for the default colour

  bool operator==(const RunStyle&) const = default;
};

struct StyledRun {
  std::string text;  // UTF-8
  RunStyle style;
};

// The runs joined as plain text.
std::string plainText(const std::vector<StyledRun>& runs);

// The runs joined with "<TC color=\"RRGGBB\">", "<B>", "<I>" and "<U>"
// around each stretch of one style (outermost first, closed in reverse
// order). A text that holds a '<' has markup of its own and is joined plain.
std::string markedText(const std::vector<StyledRun>& runs);

// "RRGGBB" from a colour written "AARRGGBB", "RRGGBB" or "#RRGGBB"; empty
// for anything else and for black, the colour text has without a font
// colour.
std::string colourCode(std::string_view written);

}  // namespace dm::workbook
