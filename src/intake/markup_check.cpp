#include "intake/markup_check.h"

#include <array>

#include "intake/media_check.h"
#include "textio/hex.h"
#include "textio/markup_tags.h"
#include "textio/unit_search.h"

namespace dm {

namespace {

constexpr std::u16string_view kColourTag = markup::kColourOpen;

struct TagForm {
  std::u16string_view text;
  char16_t code;  // the opening letter, or its lower case for a closing form
};

constexpr TagForm kTagForms[] = {
    {markup::kBreak, u'N'},          {markup::kPictureOpen, u'P'},    {markup::kPictureClose, u'p'},
    {markup::kSoundOpen, u'V'},      {markup::kSoundClose, u'v'},     {markup::kStyleSOpen, u'S'},
    {markup::kStyleSClose, u's'},    {markup::kUnderlineOpen, u'U'},  {markup::kUnderlineClose, u'u'},
    {markup::kBoldOpen, u'B'},       {markup::kBoldClose, u'b'},      {markup::kItalicOpen, u'I'},
    {markup::kItalicClose, u'i'},    {markup::kKeepOpen, u'L'},       {markup::kKeepClose, u'l'},
    {markup::kGbOpen, u'G'},         {markup::kGbClose, u'g'},        {kColourTag, u'T'},
    {markup::kColourClose, u't'},
};

// The tag code at `pos`, or 0 when no tag starts there.
char16_t tagAt(std::u16string_view text, std::size_t pos) {
  if (pos >= text.size() || text[pos] != u'<') return 0;
  const std::u16string_view rest = text.substr(pos);
  for (const TagForm& form : kTagForms) {
    if (rest.substr(0, form.text.size()) == form.text) return form.code;
  }
  return 0;
}

bool isClosing(char16_t code) { return code >= u'a' && code <= u'z'; }
char16_t upper(char16_t code) { return static_cast<char16_t>(code - u'a' + u'A'); }

bool onlyBlanks(std::u16string_view text) {
  for (char16_t c : text) {
    if (c != u' ' && c != u'\u3000') return false;
  }
  return true;
}

// Position of `what` in text[from, fieldEnd), or npos.
std::size_t findInField(std::u16string_view text, std::u16string_view what, std::size_t from, std::size_t fieldEnd) {
  if (from > fieldEnd) return std::u16string_view::npos;
  const std::size_t at = text.substr(0, fieldEnd).find(what, from);
  return at;
}

constexpr std::u16string_view kColourNames[] = {
    u"silver", u"gray", u"red",    u"maroon", u"yellow",  u"olive",  u"lime",   u"green",
    u"aqua",   u"teal", u"blue",   u"navy",   u"fuchsia", u"purple", u"orange",
};

char16_t lowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

// Checks the colour specification after "<TC color=" at `pos` and returns
// where the markup check goes on: the closing quote, a '>' that came first,
// the field's end, or `pos` itself when no quote opens the specification.
// The reading stops at the end of the field, so a specification never
// reaches into the next cell.
std::size_t checkColourSpec(IntakeState& state, std::u16string_view text, std::size_t pos, std::size_t fieldEnd) {
  bool good = false;
  std::size_t stop = pos;
  if (pos < fieldEnd && text[pos] == u'"') {
    std::size_t k = pos + 1;
    while (k < fieldEnd && text[k] != u'"' && text[k] != u'>') ++k;
    stop = k;
    if (k < fieldEnd && text[k] == u'"') good = isGoodColour(text.substr(pos + 1, k - pos - 1));
  }
  if (!good) addError(state, errc::kBadColour, std::nullopt, kLineEntry, false);
  return stop;
}

class MarkupChecker {
 public:
  MarkupChecker(IntakeState& state, const CheckContext& context, std::u16string& text)
      : state_(state), context_(context), text_(text) {}

  bool run() {
    std::size_t fieldStart = 0;
    while (true) {
      std::size_t fieldEnd = text_.find(u'\t', fieldStart);
      if (fieldEnd == std::u16string::npos) fieldEnd = text_.size();
      if (!checkField(fieldStart, fieldEnd)) return true;
      if (fieldEnd >= text_.size()) return state_.lineRejected;
      fieldStart = fieldEnd + 1;
    }
  }

 private:
  // Adds a rejecting finding and empties the text; returns false.
  bool reject(int code) {
    addError(state_, code, std::nullopt, kLineEntry, true);
    text_.clear();
    return false;
  }

  // Checks text[start, end); `end` moves when a media name is removed.
  bool checkField(std::size_t start, std::size_t& end) {
    std::array<char16_t, 3> stack{};
    std::size_t depth = 0;
    std::size_t i = start;
    while (i < end) {
      if (text_[i] != u'<') {
        // Every tag starts with '<': go to the next one in the field.
        const std::size_t next = findUnit(std::u16string_view(text_).substr(0, end), u'<', i);
        i = next < end ? next : end;
        continue;
      }
      const char16_t code = tagAt(text_, i);
      if (code == 0) {
        ++i;
        continue;
      }
      if (code == u'N') {
        i += 3;
      } else if (isClosing(code)) {
        if (depth == 0) return reject(errc::kBadTag);
        if (stack[--depth] != upper(code)) return reject(errc::kBadTag);
        i += 3;
      } else {
        // Content rule: a closing form with only blanks before it.
        const std::size_t from = i + (code == u'G' ? 4 : 3);
        const std::u16string closing =
            code == u'G' ? std::u16string(markup::kGbClose) : std::u16string{u'<', u'/', code, u'>'};
        const std::size_t close = findInField(text_, closing, from, end);
        if (close != std::u16string::npos && onlyBlanks(std::u16string_view(text_).substr(from, close - from)))
          return reject(errc::kBadTagContent);

        if (code == u'P' || code == u'V') {
          if (depth > 0) return reject(errc::kBadTag);
          if (close == std::u16string::npos) return reject(errc::kBadTag);
          for (std::size_t k = from; k < close; ++k) {
            if (tagAt(text_, k) != 0) return reject(errc::kBadTagContent);
          }
          const std::u16string name = text_.substr(from, close - from);
          const int result = code == u'P' ? checkPicture(state_, context_, name, true)
                                          : checkSound(state_, context_, name, true);
          const bool remove = code == u'P' ? (result == 7 || result == 22 || result == -1) : result == -1;
          if (remove) {
            text_.erase(from, name.size());
            end -= name.size();
            i = from + 4;
          } else {
            i = close + 4;
          }
          continue;  // no stack change
        }
        if (depth == stack.size()) return reject(errc::kBadTag);
        stack[depth++] = code;
        i = code == u'T' ? checkColourSpec(state_, text_, i + kColourTag.size(), end) : i + 3;
      }
      if (depth > 2) return reject(errc::kBadTag);
      for (std::size_t k = 0; k + 1 < depth; ++k) {
        if (stack[k] == stack[depth - 1]) return reject(errc::kBadTag);
      }
    }
    if (depth > 0) return reject(errc::kBadTag);
    return true;
  }

  IntakeState& state_;
  const CheckContext& context_;
  std::u16string& text_;
};

}  // namespace

bool isGoodColour(std::u16string_view spec) {
  for (std::u16string_view name : kColourNames) {
    if (spec.size() < name.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < name.size() && same; ++k) same = lowerAscii(spec[k]) == name[k];
    if (same) return true;
  }
  if (spec.size() != 6) return false;
  for (char16_t c : spec) {
    if (!isHexDigit(c)) return false;
  }
  return true;
}

bool checkMarkup(IntakeState& state, const CheckContext& context, std::u16string& text) {
  return MarkupChecker(state, context, text).run();
}

}  // namespace dm
