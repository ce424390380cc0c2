// The markup check of record fields: tags known, closed in reverse order of
// opening, at most two open, none inside itself, none empty; pictures and
// sounds outside open tags and naming usable listed files.
#pragma once

#include <string>
#include <string_view>

#include "intake/check_context.h"
#include "intake/intake_state.h"

namespace dm {

// Checks `text` (a record line with TAB-separated fields, or one field) field
// by field. Unusable media names are removed from the text in place. A
// rejecting finding (code 23 or 37) empties the text. Returns lineRejected.
bool checkMarkup(IntakeState& state, const CheckContext& context, std::u16string& text);

// The colour test of a colour tag's specification (the text between its
// double quotes): it begins with one of the colour names (any letter case)
// or is exactly six hexadecimal digits.
bool isGoodColour(std::u16string_view spec);

}  // namespace dm
