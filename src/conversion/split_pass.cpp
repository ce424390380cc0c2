#include "conversion/split_pass.h"

#include "conversion/block_text.h"
#include "textio/background_output.h"
#include "textio/pass_io.h"
#include "textio/wide_line.h"

namespace dm {

namespace bt = blocktext;

namespace {

constexpr std::size_t kLimit = bt::kSplitLimit;
// The fallback cut keeps a piece's value below this many characters.
constexpr std::size_t kFallbackLimit = 499;

constexpr std::u16string_view kBreakCharacters =
    u"\uFF0C\u3002\uFF1B\uFF1A\uFF0E\u30FB\uFF1F\u201D\uE0BD\uFF09\u300B\uE51E\uE0D1\uFF3D\u300D"
    u"\u3009\uFF01\u300F!),:;?].";
constexpr char16_t kIdeographicSpace = 0x3000;
constexpr char16_t kFullComma = 0xFF0C;
constexpr char16_t kFullSlash = 0xFF0F;
constexpr char16_t kFullStop = 0xFF0E;
constexpr char16_t kFullParenClose = 0xFF09;
constexpr char16_t kFullColon = 0xFF1A;
constexpr char16_t kMiddleDot = 0x30FB;
constexpr char16_t kRightQuote = 0x2019;

bool isBreak(char16_t c, bool withSpace) {
  return (withSpace && c == u' ') || kBreakCharacters.find(c) != std::u16string_view::npos;
}

bool isDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= 0xFF10 && c <= 0xFF19); }
bool isLatin(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= 0xFF21 && c <= 0xFF3A) ||
         (c >= 0xFF41 && c <= 0xFF5A);
}

// May a piece end after value[i]? Numbers and words joined by a full-width
// ．）： and text before a middle dot or apostrophe are kept together; the
// ASCII . ) : end a piece wherever they stand.
bool cutAllowedAfter(std::u16string_view v, std::size_t i) {
  const char16_t c = v[i];
  const char16_t prev = i > 0 ? v[i - 1] : 0;
  const char16_t next = i + 1 < v.size() ? v[i + 1] : 0;
  if (c == kFullComma || c == kFullSlash) return false;
  if (c == kFullStop && (isDigit(prev) || isDigit(next))) return false;
  if (c == kFullParenClose && (isLatin(prev) || isLatin(next))) return false;
  if (c == kFullColon && isDigit(prev) && isDigit(next)) return false;
  if (next == kMiddleDot || next == kRightQuote || next == u'\'') return false;
  return true;
}

// The cut after value[i]: trailing break characters and ideographic spaces
// stay with the piece, up to the split limit.
std::size_t extendCut(std::u16string_view v, std::size_t cut, bool withSpace) {
  while (cut < v.size() && cut < kLimit && (isBreak(v[cut], withSpace) || v[cut] == kIdeographicSpace)) ++cut;
  return cut;
}

std::optional<std::size_t> searchBreak(std::u16string_view v, std::size_t target, bool withSpace) {
  for (std::size_t i = std::min(target, v.size()); i-- > 0;) {
    if (isBreak(v[i], withSpace) && cutAllowedAfter(v, i)) return extendCut(v, i + 1, withSpace);
  }
  for (std::size_t i = target; i < v.size(); ++i) {
    if (isBreak(v[i], withSpace) && cutAllowedAfter(v, i)) {
      std::size_t cut = extendCut(v, i + 1, withSpace);
      if (cut > kLimit) return std::nullopt;
      return cut;
    }
  }
  return std::nullopt;
}

// Length of the atomic run starting at value[i] (1 for a plain character).
std::size_t atomicLength(std::u16string_view v, std::size_t i) {
  char16_t end = 0;
  switch (v[i]) {
    case bt::kSoundBegin: end = bt::kSoundEnd; break;
    case bt::kJumpLabelBegin: end = bt::kJumpLabelEnd; break;
    case bt::kFontEscapeBegin: end = bt::kFontEscapeEnd; break;
    default: return 1;
  }
  std::size_t close = v.find(end, i + 1);
  return close == std::u16string_view::npos ? 1 : close - i + 1;
}

std::optional<std::size_t> fallbackCut(std::u16string_view v) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < v.size();) {
    std::size_t len = atomicLength(v, i);
    if (count + len >= kFallbackLimit) return i > 0 ? std::optional<std::size_t>(i) : std::nullopt;
    count += len;
    i += len;
  }
  return std::nullopt;
}

bool keepsUnchanged(std::u16string_view line) {
  return bt::startsWith(line, bt::kStartWord) || bt::startsWith(line, bt::kEndWord) ||
         bt::hasTag(line, bt::kTagId);
}

void putPiece(std::u16string& out, std::u16string_view tag, bool later, std::u16string_view value,
              bool closeKeep) {
  out.append(tag);
  if (later) out.append(bt::kSplitSuffix);
  out.push_back(bt::kTab);
  out.append(value);
  if (closeKeep) out.push_back(bt::kKeepOff);
  out.append(bt::kLineEnd);
}

}  // namespace

std::optional<std::size_t> findSplitCut(std::u16string_view v, std::size_t tagUnits) {
  const std::size_t n = v.size();
  std::size_t k = std::max<std::size_t>(n / kLimit, 1);
  if (k < 2 || n % kLimit != 0) ++k;
  std::size_t target = n / k;
  if (target % 2 == 1) ++target;

  std::optional<std::size_t> cut = searchBreak(v, target, false);
  if (!cut) {
    cut = searchBreak(v, target, true);
    if (cut && tagUnits + 1 + *cut > kLimit) cut.reset();
    if (!cut) cut = fallbackCut(v);
  }
  if (cut && (*cut == 0 || *cut > n)) cut.reset();
  return cut;
}

void splitLine(std::u16string_view line, long lineNumber, std::u16string& out, std::ostream& trace) {
  const std::u16string_view body = bt::withoutLineEnd(line);
  if (body.empty() || keepsUnchanged(body) || body.size() <= kLimit) {
    out.append(body);
    out.append(bt::kLineEnd);
    return;
  }
  const std::size_t tab = body.find(bt::kTab);
  const std::u16string_view tag = body.substr(0, tab);
  std::u16string rest(tab == std::u16string_view::npos ? std::u16string_view{} : body.substr(tab + 1));
  bool later = false;
  for (;;) {
    std::optional<std::size_t> cut =
        tab == std::u16string_view::npos ? std::nullopt : findSplitCut(rest, tag.size());
    std::u16string_view piece, after;
    bool open = false;
    if (cut) {
      piece = std::u16string_view(rest).substr(0, *cut);
      after = std::u16string_view(rest).substr(*cut);
      long balance = 0;
      for (char16_t c : piece) balance += (c == bt::kKeepOn) - (c == bt::kKeepOff);
      open = balance > 0;
      // A cut that leaves the rest no shorter would never end.
      if (after.size() + (open ? 1 : 0) >= rest.size()) cut.reset();
    }
    if (!cut) {
      trace << "Error: Can't split the line ---\n"
            << lineNumber << "  " << utf16ToUtf8(body) << "\n";
      if (!later) {
        out.append(body);
        out.append(bt::kLineEnd);
      } else {
        putPiece(out, tag, true, rest, false);
      }
      return;
    }
    putPiece(out, tag, later, piece, open);
    later = true;
    std::u16string next;
    next.reserve(after.size() + 1);
    if (open) next.push_back(bt::kKeepOn);
    next.append(after);
    rest.swap(next);
    if (tag.size() + 1 + rest.size() <= kLimit) {
      putPiece(out, tag, true, rest, false);
      return;
    }
  }
}

void splitPass(std::istream& in, std::ostream& out, std::ostream& trace) {
  copyByteOrderMark(in, out);
  WideLineReader reader(in);
  WideLineWriter writer(out);
  std::u16string line, pieces;
  long lineNumber = 0;
  while (reader.read(line)) {
    ++lineNumber;
    pieces.clear();
    splitLine(line, lineNumber, pieces, trace);
    writer.write(pieces);
  }
}

void splitPass(const std::filesystem::path& inPath, const std::filesystem::path& outPath, ProgressSink& sink) {
  std::ifstream in = openPassInput(inPath);
  BackgroundOutput out(outPath);
  SinkLogStream trace(sink);
  splitPass(in, out, trace);
  out.close();
}

}  // namespace dm
