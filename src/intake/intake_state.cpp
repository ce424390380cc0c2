#include "intake/intake_state.h"

namespace dm {

void addError(IntakeState& state, int code, std::optional<std::u16string_view> text, EntryType type,
              bool reject) {
  state.errors.insert(makeErrorEntry(code, text, type, state.lineNumber));
  if (reject) state.lineRejected = true;
}

std::size_t countErrors(const IntakeState& state) { return state.errors.size(); }

}  // namespace dm
