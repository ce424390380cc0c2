// The picture and sound checks of the names that the records reference:
// listed, of the right kind, readable, within the device's limits.
#pragma once

#include <string_view>

#include "intake/check_context.h"
#include "intake/intake_state.h"

namespace dm {

// Checks the picture `name`. Reports (when `report` is set, once per name
// and line) code 32 for a bad or unlisted name and codes 22 and 57 as picture
// entries; counts accepted pictures (code 50 above 65,000). Returns -1 for an
// empty or bad name, 32 when not listed, 22 when the file is unusable, else
// the picture probe's result.
int checkPicture(IntakeState& state, const CheckContext& context, std::u16string_view name, bool report);

// Checks the sound `name`. Reports code 31 (bad or unlisted name), 7 (not
// .mp3 or .rmp) and 22 as a sound entry (unusable file); counts accepted
// references (code 51 above 400,000,000). Returns -1 when the name must be
// removed from the text, else the sound probe's result.
int checkSound(IntakeState& state, const CheckContext& context, std::u16string_view name, bool report);

}  // namespace dm
