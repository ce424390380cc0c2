#include "intake/record_checker.h"

#include <array>

#include "intake/markup_check.h"
#include "intake/media_check.h"
#include "intake/record_split.h"
#include "textio/markup_tags.h"
#include "textio/unit_search.h"
#include "textio/wide_stream.h"
#include "textio/wide_line.h"

namespace dm {

namespace {

// Tag numbers 1 to 8 and their texts.
constexpr std::u16string_view kRuleTags[9] = {
    u"",
    markup::kBreak,
    markup::kPictureOpen,
    markup::kSoundOpen,
    markup::kKeepOpen,
    markup::kUnderlineOpen,
    markup::kStyleSOpen,
    markup::kBoldOpen,
    markup::kItalicOpen,
};

struct TagRule {
  bool mayBeEmpty;
  std::uint8_t allowed;  // bit t-1 set: tag t allowed
};

constexpr std::uint8_t kAllTags = 0xFF;
constexpr std::uint8_t tagBit(int t) { return static_cast<std::uint8_t>(1u << (t - 1)); }

constexpr TagRule kTagRules[9] = {
    {true, static_cast<std::uint8_t>(kAllTags & ~tagBit(3))},         // 0 how to use: no <V>
    {true, 0},                                                        // 1 menu location
    {true, static_cast<std::uint8_t>(tagBit(4) | tagBit(5) | tagBit(6) | tagBit(8))},  // 2 categories
    {true, 0},                                                        // 3 question number
    {false, kAllTags},                                                // 4 question
    {false, 0},                                                       // 5 right answer
    {true, kAllTags},                                                 // 6 comment
    {true, 0},                                                        // 7 time limit
    {true, kAllTags},                                                 // 8 cases
};

constexpr int kRecordKinds[8] = {kCategoryColumn,   kCategoryColumn,   kCategoryColumn, kQuestionNumberColumn,
                                 kQuestionColumn,   kRightAnswerColumn, kCommentColumn,  kTimeLimitColumn};

// Decimal digits and white space of the question number and time limit.
bool isDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= 0xFF10 && c <= 0xFF19); }
int digitValue(char16_t c) { return c <= u'9' ? c - u'0' : c - 0xFF10; }
bool isWhite(char16_t c) { return c == u'\t' || (c >= u'\n' && c <= u'\r') || c == u' ' || c == u'\u3000'; }

// Leading white space skipped, trailing U+0020 and U+3000 cut.
std::u16string_view trimmed(std::u16string_view v) {
  std::size_t a = 0;
  while (a < v.size() && isWhite(v[a])) ++a;
  v.remove_prefix(a);
  while (!v.empty() && (v.back() == u' ' || v.back() == u'\u3000')) v.remove_suffix(1);
  return v;
}

std::optional<std::u16string_view> fieldOf(const SplitRecord& r, int i) {
  if (!r.present(i)) return std::nullopt;
  return *r.fields[i];
}

bool questionNumberValid(std::u16string_view v) {
  v = trimmed(v);
  if (v.size() > 4) return false;
  for (char16_t c : v) {
    if (!isDigit(c)) return false;
  }
  return true;
}

// d{1,2}:d{1,2}; fills the two numbers.
bool parseTimeLimit(std::u16string_view v, int& minutes, int& seconds) {
  const std::size_t colon = v.find(u':');
  if (colon == std::u16string_view::npos) return false;
  auto number = [](std::u16string_view d, int& out) {
    if (d.empty() || d.size() > 2) return false;
    out = 0;
    for (char16_t c : d) {
      if (!isDigit(c)) return false;
      out = out * 10 + digitValue(c);
    }
    return true;
  };
  return number(v.substr(0, colon), minutes) && number(v.substr(colon + 1), seconds);
}

std::u16string_view categoryKey(const SplitRecord& r, int i) {
  const std::u16string_view v = r.field(i);
  return (!r.present(i) || isBlank(v)) ? kNoCategory : v;
}

constexpr std::u16string_view kMenuLocations[] = {
    u"英語1", u"英語2", u"英語3", u"英語１", u"英語２", u"英語３", u"国語", u"百科", u"専門", u"学習1",
    u"学習2", u"学習１", u"学習２", u"カード", u"ドリル", u"ユーザー", u"ツール", u"ユーザー辞書", u"ミニ道具箱",
};
constexpr std::size_t kMenuLocationUnits = 16;

// True for a line of only TAB, CR and LF.
bool onlyTabsAndBreaks(std::u16string_view line) {
  for (char16_t c : line) {
    if (c != u'\t' && c != u'\r' && c != u'\n') return false;
  }
  return true;
}

}  // namespace

bool applyTagRule(IntakeState& state, int kind, std::optional<std::u16string_view> field) {
  const TagRule& rule = kTagRules[kind];
  const bool blank = !field || isBlank(*field);
  if (!rule.mayBeEmpty && blank) {
    addError(state, errc::kTagRule, std::u16string(1, static_cast<char16_t>(kind * 16)), kLineEntry, true);
    return true;
  }
  if (blank) return false;
  // Every rule tag starts with '<'.
  if (findUnit(*field, u'<') == std::u16string_view::npos) return false;
  for (int t = 1; t <= 8; ++t) {
    if ((rule.allowed & tagBit(t)) == 0 && field->find(kRuleTags[t]) != std::u16string_view::npos) {
      addError(state, errc::kTagRule, std::u16string(1, static_cast<char16_t>(kind * 16 + t)), kLineEntry, true);
      return true;
    }
  }
  return false;
}

std::optional<std::u16string> normaliseMenuLocation(std::u16string_view text) {
  if (text.empty()) return std::u16string();
  for (std::u16string_view name : kMenuLocations) {
    if (text != name) continue;
    std::u16string out(text);
    if (out.size() > 2 && out[2] >= u'1' && out[2] <= u'9') {
      out[2] = static_cast<char16_t>(out[2] + 0xFEE0);
    } else if (out == u"ユーザー") {
      out = u"ユーザー辞書";
    } else if (out == u"ツール") {
      out = u"ミニ道具箱";
    }
    return out;
  }
  if (text.size() <= kMenuLocationUnits) return std::u16string(text);
  return std::nullopt;
}

bool tallyCategories(IntakeState& state, std::u16string_view c1, std::u16string_view c2, std::u16string_view c3,
                     std::int32_t& items) {
  CategoryTally& tally = state.tally;
  items = 0;
  auto limit = [&] {
    addError(state, errc::kCategoryLimit, std::nullopt, kLineEntry, true);
    return false;
  };

  std::u16string key(c1);
  if (tally.first.find(key) == tally.first.end()) {
    if (state.categoryCounter >= kMaxCategoryCounter) return limit();
    tally.first.emplace(key, 1);
    ++state.categoryCounter;
    items += 1;
  }

  key += u'\t';
  key += c2;
  auto second = tally.second.find(key);
  if (second == tally.second.end()) {
    second = tally.second.emplace(key, 2).first;
    items += 2;
  }

  key += u'\t';
  key += c3;
  if (tally.third.find(key) == tally.third.end()) {
    if (second->second >= kMaxSecondLevelCount) return limit();
    tally.third.emplace(key, 1);
    ++second->second;
    items += 1;
  }

  auto [leaf, added] = tally.leaf.emplace(key, 1);
  items += 1;
  if (!added && ++leaf->second > kMaxLeafRecords) return limit();
  return true;
}

void checkSettingsLine(IntakeState& state, const CheckContext& context, std::u16string_view line, std::ostream& out) {
  SplitRecord split;
  int count = splitRecord(line, split);
  if (count > 5) count = 5;
  std::array<std::optional<std::u16string>, 6> fields;
  for (int i = 0; i <= count; ++i) {
    if (split.present(i)) fields[i] = std::u16string(*split.fields[i]);
  }

  for (int i = 0; i <= count; ++i) {
    if (fields[i] && fields[i]->size() > kMaxFieldUnits) {
      addError(state, errc::kFieldTooLong, std::nullopt, kLineEntry, false);
      fields[1].reset();
      fields[3].reset();
      break;
    }
  }

  std::optional<std::u16string>& howToUse = fields[1];
  if (howToUse && applyTagRule(state, kHowToUseColumn, *howToUse)) howToUse.reset();
  if (howToUse) checkMarkup(state, context, *howToUse);
  if (howToUse && !howToUse->empty()) {
    state.howToUsePresent = 1;
    ++state.categoryCounter;
    ++state.itemTotal;
  } else {
    state.howToUsePresent = 0;
  }
  state.lineRejected = false;

  std::optional<std::u16string>& menu = fields[3];
  applyTagRule(state, kMenuLocationColumn, menu ? std::optional<std::u16string_view>(*menu) : std::nullopt);
  std::optional<std::u16string> location = normaliseMenuLocation(menu ? std::u16string_view(*menu) : u"");
  if (!location) addError(state, errc::kBadMenu, std::nullopt, kLineEntry, false);
  menu = location ? *location : std::u16string();
  state.lineRejected = false;  // nothing of the settings line is rejected

  std::u16string text = fields[0] ? *fields[0] : std::u16string();
  for (int i = 1; i <= count; ++i) {
    text += u'\t';
    if (fields[i]) text += *fields[i];
  }
  text += u"\r\n";
  writeWideLine(out, text);

  if (fields[5] && count >= 5) checkPicture(state, context, *fields[5], true);
}

bool checkRecord(IntakeState& state, std::u16string_view line) {
  SplitRecord r;
  const int count = splitRecord(line, r);
  auto reject = [&](int code) {
    addError(state, code, std::nullopt, kLineEntry, true);
    return true;
  };

  if (r.lastNonEmpty > kLastUsableField) addError(state, errc::kTooManyTabs, std::nullopt, kLineEntry, false);
  if (r.blankCaseCut) {
    addError(state, errc::kBlankCase, std::nullopt, kLineEntry, count < kFirstCaseField);
    if (state.lineRejected) return true;
  }
  if (count < kFirstCaseField) return reject(errc::kTooFewTabs);

  for (int i = 0; i <= count; ++i) {
    if (r.field(i).size() > kMaxFieldUnits) return reject(errc::kFieldTooLong);
  }

  for (int i = 0; i <= count; ++i) {
    const int kind = i < kFirstCaseField ? kRecordKinds[i] : kCaseColumn;
    if (applyTagRule(state, kind, fieldOf(r, i))) return true;
  }

  if (r.present(3) && !questionNumberValid(r.field(3))) return reject(errc::kQuestionNumber);

  {
    std::u16string_view answer = r.field(5);
    std::size_t a = 0;
    while (a < answer.size() && isWhite(answer[a])) ++a;
    answer.remove_prefix(a);
    if (answer.empty()) return reject(errc::kNoAnswer);
    answer = trimmed(answer);
    std::uint32_t value = 0;
    for (char16_t c : answer) {
      if (!isDigit(c)) return reject(errc::kAnswerNotNumber);
      if (value < 1000) value = value * 10 + static_cast<std::uint32_t>(digitValue(c));
    }
    if (value == 0 || value > 10 || static_cast<int>(value) > count - 7) return reject(errc::kNoAnswer);
  }

  for (int i = 0; i < 3; ++i) {
    const std::u16string_view c = r.field(i);
    for (std::u16string_view marker : {markup::kBreak, markup::kPictureOpen, markup::kPictureClose,
                                       markup::kSoundOpen, markup::kSoundClose}) {
      if (c.find(marker) != std::u16string_view::npos) return reject(errc::kCategoryMarker);
    }
  }

  if (r.present(7)) {
    const std::u16string_view limit = trimmed(r.field(7));
    int minutes = 0;
    int seconds = 0;
    if (!limit.empty()) {
      if (!parseTimeLimit(limit, minutes, seconds)) {
        addError(state, errc::kTimeForm, std::nullopt, kLineEntry, false);
      } else if (minutes > 59 || seconds > 59) {
        addError(state, errc::kTimeOver59, std::nullopt, kLineEntry, false);
      }
    }
  }

  std::int32_t items = 0;
  if (!tallyCategories(state, categoryKey(r, 0), categoryKey(r, 1), categoryKey(r, 2), items)) return true;
  state.itemTotal += items;
  if (state.itemTotal > kMaxItems) {
    addError(state, errc::kItemLimit, u"", kSummaryEntry, true);
  }
  return state.lineRejected;
}

std::uint32_t checkRecords(IntakeState& state, const CheckContext& context, std::istream& in, std::ostream& out) {
  state.reset();
  std::uint32_t valid = 0;
  WideLineReader reader(in, kWholeLines);
  WideLineWriter writer(out);
  std::u16string line;
  while (true) {
    ++state.lineNumber;
    if (!reader.read(line)) break;
    if (state.errors.size() >= kMaxFindings) {
      addError(state, errc::kTooManyFindings, std::nullopt, kLineEntry, true);
      break;
    }
    state.media.reportedPictures.clear();
    state.media.reportedSounds.clear();
    if (isBlankWideLine(line) && state.lineNumber != 2) continue;
    state.lineRejected = false;
    if (state.lineNumber == 1) {
      writer.flush();
      checkSettingsLine(state, context, line, out);
    } else if (state.lineNumber == 2) {
      writer.write(line);
    } else if (onlyTabsAndBreaks(line)) {
      continue;
    } else if (checkRecord(state, line)) {
      if (state.itemTotal > kMaxItems) break;
    } else if (!checkMarkup(state, context, line)) {
      ++valid;
      writer.write(line);
    }
  }
  writer.flush();
  state.media.reportedPictures.clear();
  state.media.reportedSounds.clear();

  state.tally.clear();
  state.media = MediaCounters{};
  if (valid == 0) {
    std::u16string text = context.sourceName;
    text += u' ';
    text += errorMessage(errc::kNoValidRecord);
    addError(state, errc::kNoValidRecord, text, kSummaryEntry, false);
  }
  if (context.mediaTotals.pictures > kMaxPictureBytes)
    addError(state, errc::kPictureBytes, u"", kSummaryEntry, false);
  if (context.mediaTotals.sounds > kMaxSoundBytes) addError(state, errc::kSoundBytes, u"", kSummaryEntry, false);
  return valid;
}

}  // namespace dm
