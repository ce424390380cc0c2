// The record checker: reads the normalised source line by line, checks the
// settings line and every question record against the column rules and the
// device limits, reports each finding, and writes the lines the build may use.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "intake/check_context.h"
#include "intake/intake_state.h"

namespace dm {

// Column kinds: the line of the tag rule table a field is checked with.
enum ColumnKind : int {
  kHowToUseColumn = 0,
  kMenuLocationColumn = 1,
  kCategoryColumn = 2,
  kQuestionNumberColumn = 3,
  kQuestionColumn = 4,
  kRightAnswerColumn = 5,
  kCommentColumn = 6,
  kTimeLimitColumn = 7,
  kCaseColumn = 8,
};

// The category key text of a missing or blank category field.
inline constexpr std::u16string_view kNoCategory = u"(分類なし)";

// Applies the tag rule of `kind` to a field (nullopt: absent): code 35 for an
// empty required field or the first forbidden tag. Returns true on a finding.
bool applyTagRule(IntakeState& state, int kind, std::optional<std::u16string_view> field);

// The menu location as the device stores it: a known name with a half-width
// digit gets the full-width digit, "ユーザー" and "ツール" their long names,
// other texts up to 16 units stay. nullopt for a longer unknown text.
std::optional<std::u16string> normaliseMenuLocation(std::u16string_view text);

// Counts a record under its three categories (already substituted). Returns
// false after a limit finding (code 46, rejecting); `items` receives the
// device items the record adds.
bool tallyCategories(IntakeState& state, std::u16string_view c1, std::u16string_view c2, std::u16string_view c3,
                     std::int32_t& items);

// Checks the settings line (line 1) and writes it, ended with CR LF, to `out`.
// Sets howToUsePresent and counts the how-to-use entry.
void checkSettingsLine(IntakeState& state, const CheckContext& context, std::u16string_view line, std::ostream& out);

// Runs the field checks on a question record line; returns whether it was
// rejected. The line itself is not changed.
bool checkRecord(IntakeState& state, std::u16string_view line);

// The whole check over streams: Drill_1.uni bytes in, Drill_2.uni bytes out.
// Starts from a fresh state, adds the whole-file findings (52, 54, 55) and
// returns the number of records written. Once kMaxFindings findings are
// listed, the next line gets finding 58 and the rest is not checked.
std::uint32_t checkRecords(IntakeState& state, const CheckContext& context, std::istream& in, std::ostream& out);

}  // namespace dm
