#include "conversion/entry_writer.h"

#include "conversion/block_text.h"
#include "intake/record_split.h"

namespace dm {

namespace bt = blocktext;

namespace {

constexpr int kCategoryFields = 3;
constexpr int kQuestionNumberField = 3;
constexpr int kQuestionField = 4;
constexpr int kRightAnswerField = 5;
constexpr int kCommentField = 6;
constexpr int kTimeLimitField = 7;
constexpr int kSettingsLegendField = 1;

bool isSpace(char16_t c) { return c == u' ' || c == 0x3000 || c == u'\t' || c == u'\r' || c == u'\n'; }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

void put(std::u16string& out, std::u16string_view tag, std::u16string_view value) {
  out.append(tag);
  out.push_back(bt::kTab);
  out.append(value);
  out.append(bt::kLineEnd);
}

void putLine(std::u16string& out, std::u16string_view line) {
  out.append(line);
  out.append(bt::kLineEnd);
}

// Leading white space, then decimal digits; 0 when there are none.
unsigned readNumber(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  unsigned value = 0;
  for (; i < text.size() && isDigit(text[i]); ++i) {
    if (value < 100000) value = value * 10 + (text[i] - u'0');
  }
  return value;
}

// "m:s" with one or two digits each, white space before and blanks after;
// both below 60. Writes "mm:ss" or nothing.
std::u16string timeLimit(std::u16string_view field) {
  std::u16string t = asciiDigits(field);
  std::size_t i = 0;
  while (i < t.size() && isSpace(t[i])) ++i;
  auto digits = [&](int& value) {
    std::size_t start = i;
    value = 0;
    while (i < t.size() && isDigit(t[i]) && i - start < 3) value = value * 10 + (t[i++] - u'0');
    return i - start >= 1 && i - start <= 2;
  };
  int minutes = 0, seconds = 0;
  if (!digits(minutes)) return {};
  if (i >= t.size() || t[i] != u':') return {};
  ++i;
  if (!digits(seconds)) return {};
  // Trailing blanks are accepted, as the record checker accepts them.
  while (i < t.size() && (t[i] == u' ' || t[i] == 0x3000)) ++i;
  if (i != t.size() || minutes >= 60 || seconds >= 60) return {};
  std::u16string out;
  out.push_back(static_cast<char16_t>(u'0' + minutes / 10));
  out.push_back(static_cast<char16_t>(u'0' + minutes % 10));
  out.push_back(u':');
  out.push_back(static_cast<char16_t>(u'0' + seconds / 10));
  out.push_back(static_cast<char16_t>(u'0' + seconds % 10));
  return out;
}

}  // namespace

std::u16string asciiDigits(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= 0xFF10 && c <= 0xFF19) c = static_cast<char16_t>(c - 0xFF10 + u'0');
  }
  return out;
}

void writeRecord(std::u16string_view record, std::u16string& out) {
  SplitRecord r;
  int count = splitRecord(record, r);

  putLine(out, bt::kStartWord);
  static constexpr std::u16string_view kCategoryTags[kCategoryFields] = {bt::kTagCtg1, bt::kTagCtg2,
                                                                         bt::kTagCtg3};
  for (int i = 0; i < kCategoryFields; ++i) {
    std::u16string_view cell = r.field(i);
    put(out, kCategoryTags[i], (!r.present(i) || isBlank(cell)) ? bt::kNoCategory : cell);
  }

  std::u16string headword(bt::kQuestionWord);
  headword.push_back(bt::kFullWidthColon);
  headword += asciiDigits(r.field(kQuestionNumberField));
  put(out, bt::kTagHeadword, headword);

  put(out, bt::kTagTime, r.present(kTimeLimitField) ? timeLimit(r.field(kTimeLimitField)) : u"");
  put(out, bt::kTagQuestion, r.field(kQuestionField));
  put(out, bt::kTagRule, u"");
  putLine(out, bt::kStartGenExt);

  const unsigned answer = readNumber(asciiDigits(r.field(kRightAnswerField)));
  const std::u16string answerHex = bt::hexText(answer);
  put(out, bt::kTagRightNumber, answer == 10 ? std::u16string(u"0") : answerHex);

  // The splitter has already cut the record before its first blank case, so
  // the choices are the fields 8 to count.
  for (int k = kFirstCaseField; k <= count && k <= kLastUsableField && r.present(k); ++k) {
    std::u16string value;
    value.push_back(bt::kJumpLabelBegin);
    value += bt::choiceLabel(k - kFirstCaseField + 1);
    value.push_back(u' ');
    value.append(r.field(k));
    value.push_back(bt::kJumpLabelEnd);
    value += answerHex;
    put(out, bt::kTagJump, value);
  }

  putLine(out, bt::kEndGenExt);
  put(out, bt::kTagRule1, u"");
  putLine(out, bt::kStartNote);
  put(out, bt::kTagId, answerHex);
  put(out, bt::kTagAnswerHead, headword);
  std::u16string title(bt::kRightAnswerWord);
  title.push_back(bt::kFullWidthColon);
  put(out, bt::kTagAnswerTitle, title);

  std::u16string rightChoice = bt::choiceLabel(static_cast<int>(answer));
  rightChoice.push_back(u' ');
  const int rightField = static_cast<int>(answer) + kFirstCaseField - 1;
  if (answer >= 1 && answer <= 10 && rightField <= count && r.present(rightField)) {
    rightChoice.append(r.field(rightField));
  } else {
    rightChoice.push_back(u' ');
  }
  put(out, bt::kTagAnswer, rightChoice);

  if (r.present(kCommentField)) {
    put(out, bt::kTagRule, u"");
    std::u16string commentTitle(bt::kCommentWord);
    commentTitle.push_back(bt::kFullWidthColon);
    put(out, bt::kTagCommentTitle, commentTitle);
    put(out, bt::kTagComment, r.field(kCommentField));
  }
  putLine(out, bt::kEndNote);
  putLine(out, bt::kEndWord);
  out.append(bt::kLineEnd);
}

void writeLegend(std::u16string_view settings, std::u16string& out) {
  SplitRecord r;
  splitRecord(settings, r);
  if (!r.present(kSettingsLegendField)) return;
  putLine(out, bt::kStartWord);
  put(out, bt::kTagLegendMark, bt::kLegendWord);
  put(out, bt::kTagLegend, r.field(kSettingsLegendField));
  putLine(out, bt::kEndWord);
  out.append(bt::kLineEnd);
}

}  // namespace dm
