// The error catalogue and the ordered error list of the check pass: every
// finding is one coded entry; the list keeps each distinct entry once.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>

namespace dm {

enum EntryType : std::int32_t {
  kLineEntry = 1,
  kPictureEntry = 2,
  kSoundEntry = 3,
  kSummaryEntry = 5,
};

struct ErrorEntry {
  std::int32_t type = kLineEntry;
  std::u16string text;
  std::uint8_t code = 0;

  // Ordered by text (code unit by code unit), then code, then type.
  friend bool operator<(const ErrorEntry& a, const ErrorEntry& b) {
    return std::tie(a.text, a.code, a.type) < std::tie(b.text, b.code, b.type);
  }
};

using ErrorList = std::set<ErrorEntry>;

// Catalogue codes raised by the checks.
namespace errc {
inline constexpr int kBadMenu = 1;
inline constexpr int kBadExtension = 7;
inline constexpr int kTooFewTabs = 11;
inline constexpr int kTooManyTabs = 12;
inline constexpr int kTimeOver59 = 16;
inline constexpr int kQuestionNumber = 18;
inline constexpr int kAnswerNotNumber = 20;
inline constexpr int kFormatError = 22;
inline constexpr int kBadTag = 23;
inline constexpr int kBlankCase = 24;
inline constexpr int kCategoryMarker = 30;
inline constexpr int kNoSoundFile = 31;
inline constexpr int kNoPictureFile = 32;
inline constexpr int kTagRule = 35;
inline constexpr int kBadTagContent = 37;
inline constexpr int kTimeForm = 40;
inline constexpr int kFieldTooLong = 43;
inline constexpr int kCategoryLimit = 46;
inline constexpr int kItemLimit = 48;
inline constexpr int kPictureLimit = 50;
inline constexpr int kSoundLimit = 51;
inline constexpr int kNoValidRecord = 52;
inline constexpr int kNoAnswer = 53;
inline constexpr int kPictureBytes = 54;
inline constexpr int kSoundBytes = 55;
inline constexpr int kBadColour = 56;
inline constexpr int kMultiFrameGif = 57;
// Not in the original catalogue: the check stopped after kMaxFindings
// findings, so that a source of nothing but faulty lines cannot fill memory
// (and a report of hundreds of megabytes) with them.
inline constexpr int kTooManyFindings = 58;
}  // namespace errc

// The catalogue message of a code ("" for a code not in the catalogue).
std::u16string_view errorMessage(int code);

// The message of a code 35 finding for an empty required field of a column
// kind ("" for the kinds whose fields may be empty).
std::u16string_view tagRuleMessage(int kind);

// The entry text of a finding on line `lineNumber`:
//  line entry without text   "%08d"
//  line entry, code 35       "%08d<T>%c" (the first unit of `text`)
//  line entry, other codes   "%08d<F>%s"
//  summary entry             "%s" (empty without text)
//  picture and sound entries "%08d \t%s  \t%s" of 0, `text` and the message.
ErrorEntry makeErrorEntry(int code, std::optional<std::u16string_view> text, EntryType type,
                          std::int32_t lineNumber);

}  // namespace dm
