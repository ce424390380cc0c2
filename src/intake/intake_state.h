// The run-wide state of the source intake, kept by the driver for the run: the
// error list, the check counters and limits, the category tally and the
// picture and sound counters. Every check pass starts it afresh.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "intake/error_list.h"
#include "intake/source_encoding.h"
#include "work/limits.h"

namespace dm {

// Device limits enforced by the checks.
inline constexpr std::int32_t kMaxItems = 20000;           // how-to-use entry, categories, questions
inline constexpr std::int32_t kMaxCategoryCounter = 1000;  // first-level categories, plus one
inline constexpr std::int32_t kMaxSecondLevelCount = 1000; // third-level categories + 2 per second level
inline constexpr std::int32_t kMaxLeafRecords = 999;       // questions per third-level category
inline constexpr std::size_t kMaxFieldUnits = 4000;
inline constexpr std::size_t kMaxFindings = 100000;  // the check stops with finding 58 beyond
inline constexpr std::uint32_t kMaxPictures = 65000;
inline constexpr std::uint64_t kMaxSoundReferences = 400000000;

// Questions per category level. Keys are the category texts joined by TAB.
struct CategoryTally {
  std::map<std::u16string, std::int32_t> first;
  std::map<std::u16string, std::int32_t> second;  // 2 + third-level categories below
  std::map<std::u16string, std::int32_t> third;
  std::map<std::u16string, std::int32_t> leaf;    // records with the key

  void clear() {
    first.clear();
    second.clear();
    third.clear();
    leaf.clear();
  }
};

// Picture and sound counters and the names already reported on this line.
struct MediaCounters {
  std::set<std::u16string, std::less<>> pictureNames;  // distinct accepted picture names
  std::uint32_t pictureCount = 0;         // additions attempted
  std::uint64_t soundReferences = 0;      // accepted sound references
  std::set<std::u16string, std::less<>> reportedPictures;
  std::set<std::u16string, std::less<>> reportedSounds;
};

struct IntakeState {
  ErrorList errors;

  std::int32_t lineNumber = 0;     // line of Drill_1.uni being checked (1-based)
  bool lineRejected = false;       // a rejecting finding on the current line
  std::int32_t itemTotal = 1;      // device items used so far
  std::int32_t categoryCounter = 1;
  CategoryTally tally;
  MediaCounters media;
  std::uint8_t howToUsePresent = 0;  // the settings line carries a how-to-use text

  // The encoding the source text was read in, set by the code conversion.
  SourceEncoding sourceEncoding = SourceEncoding::ShiftJis;

  // The reset of the record check, which follows the code conversion in
  // every check pass: everything but the encoding read starts afresh.
  void reset() {
    const SourceEncoding read = sourceEncoding;
    *this = IntakeState{};
    sourceEncoding = read;
  }
};

// Adds one finding (kept once per distinct entry). A rejecting finding also
// sets lineRejected.
void addError(IntakeState& state, int code, std::optional<std::u16string_view> text, EntryType type,
              bool reject);

// The number of entries in the error list.
std::size_t countErrors(const IntakeState& state);

}  // namespace dm
