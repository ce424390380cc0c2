// The record splitter of source lines and the blank-cell test, shared by the
// record checker and the drill conversion.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace dm {

inline constexpr int kFieldSlots = 212;     // field slots of a split record
inline constexpr int kLastUsableField = 17;  // index of case 10
inline constexpr int kFirstCaseField = 8;    // index of case 1

struct SplitRecord {
  std::int32_t lastNonEmpty = 0;  // last field not empty before the caps
  std::int32_t blankCaseCut = 0;  // the record was cut at a blank case
  std::int32_t count = 0;         // index of the last usable field
  // Field texts (views into the split line); nullopt for an empty field.
  std::array<std::optional<std::u16string_view>, kFieldSlots> fields{};

  // Field `i` or an empty view.
  std::u16string_view field(int i) const {
    return (i >= 0 && i < kFieldSlots && fields[i]) ? *fields[i] : std::u16string_view{};
  }
  bool present(int i) const { return i >= 0 && i < kFieldSlots && fields[i].has_value(); }
};

// Splits `line` at its TABs (a CR LF, or a zero unit, ends it), caps the
// fields at index 17, drops trailing empty fields and cuts the record before
// its first blank case. Returns the count. The views point into `line`.
int splitRecord(std::u16string_view line, SplitRecord& record);

// True when `text` holds only U+0020, U+3000 and "<N>" (or nothing).
bool isBlank(std::u16string_view text);

}  // namespace dm
