#include "intake/line_normaliser.h"

#include <vector>

#include "textio/markup_tags.h"
#include "textio/unit_search.h"
#include "textio/wide_stream.h"
#include "textio/wide_line.h"

namespace dm {

namespace {

constexpr char16_t kQuote = u'"';
constexpr std::u16string_view kLineMark = markup::kBreak;

// A quoted segment: the units between an opening and a closing quote run.
struct Segment {
  std::size_t openQuote;   // last quote of the opening run (dropped)
  std::size_t begin;       // first unit of the segment
  std::size_t end;         // one past the last unit (the closing run's start)
  std::size_t closeQuote;  // last quote of the closing run (dropped), or npos
};

std::size_t quoteRunEnd(std::u16string_view s, std::size_t i) {
  while (i < s.size() && s[i] == kQuote) ++i;
  return i;
}

// Scans like scanQuotes and records every quoted segment.
std::vector<Segment> findSegments(std::u16string_view s) {
  std::vector<Segment> segments;
  bool inQuote = false;
  bool fieldStart = true;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] == kQuote) {
      const std::size_t j = quoteRunEnd(s, i);
      if ((j - i) % 2 == 1) {
        if (inQuote) {
          segments.back().end = i;
          segments.back().closeQuote = j - 1;
          inQuote = false;
        } else if (fieldStart) {
          segments.push_back({j - 1, j, s.size(), std::u16string_view::npos});
          inQuote = true;
        }
      }
      fieldStart = false;
      i = j;
      continue;
    }
    fieldStart = !inQuote && s[i] == u'\t';
    ++i;
  }
  return segments;
}

// Replaces every non-overlapping `from`, left to right.
void replaceAll(std::u16string& s, std::u16string_view from, std::u16string_view to) {
  std::size_t at = s.find(from);
  if (at == std::u16string::npos) return;
  std::u16string out;
  out.reserve(s.size());
  std::size_t prev = 0;
  while (at != std::u16string::npos) {
    out.append(s, prev, at - prev);
    out.append(to);
    prev = at + from.size();
    at = s.find(from, prev);
  }
  out.append(s, prev, std::u16string::npos);
  s.swap(out);
}

// The text of one quoted segment with its line breaks and tabs resolved.
std::u16string resolveSegment(std::u16string_view text, bool closed) {
  std::u16string s;
  s.reserve(text.size());
  for (char16_t c : text) {
    if (c != u'\r') s.push_back(c);
  }
  replaceAll(s, u"\n<N>", kLineMark);
  replaceAll(s, u"<N>\n", kLineMark);
  if (closed) replaceAll(s, u"\n", kLineMark);
  for (char16_t& c : s) {
    if (c == u'\t') c = u' ';
  }
  return s;
}

// Drops one quote of every field that holds only a quote run.
std::u16string dropLoneQuoteRuns(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  bool fieldStart = true;
  std::size_t i = 0;
  while (i < s.size()) {
    if (fieldStart && s[i] == kQuote) {
      const std::size_t j = quoteRunEnd(s, i);
      const bool endsField = j == s.size() || s[j] == u'\r' || s[j] == u'\n' || s[j] == u'\t';
      out.append(s.substr(i, endsField ? j - i - 1 : j - i));
      fieldStart = false;
      i = j;
      continue;
    }
    fieldStart = s[i] == u'\t';
    out.push_back(s[i]);
    ++i;
  }
  return out;
}

// The rewrites after the quoting is resolved: "<N><P>" to "<P>", then the tag
// words to their full-width forms. The half-width forms never overlap one
// another and no rewrite creates a new match, so one left-to-right pass
// gives what replacing each pair over the whole record in turn gives
// ("<Sound>" and "</Sound>" are covered by "<Sound" and "/Sound>").
constexpr std::u16string_view kRewrites[][2] = {
    {u"<N><P>", u"<P>"},
    {u"<Sound", u"<Ｓｏｕｎｄ"},
    {u"/Sound>", u"/Ｓｏｕｎｄ>"},
    {u"<Pick>", u"<Ｐｉｃｋ>"},
    {u"</Pick>", u"</Ｐｉｃｋ>"},
    {u"<K>", u"<Ｋ>"},
    {u"</K>", u"</Ｋ>"},
    {u"<KEY>", u"<ＫＥＹ>"},
    {u"</KEY>", u"</ＫＥＹ>"},
};

// True where a rewrite may start: '<' or '/' followed by one of the letters
// the half-width forms continue with.
bool mayRewrite(std::u16string_view s, std::size_t i) {
  if (i + 1 >= s.size() || (s[i] != u'<' && s[i] != u'/')) return false;
  char16_t next = s[i + 1];
  if (next == u'/' && s[i] == u'<' && i + 2 < s.size()) next = s[i + 2];
  return next == u'N' || next == u'S' || next == u'P' || next == u'K';
}

bool isReservedCode(char16_t c) { return c >= 0xE000 && c <= 0xE0FF; }

// True for a unit where rewriteInto may change something: '<', '/' or a
// reserved code.
bool mayChange(char16_t c) { return c == u'<' || c == u'/' || isReservedCode(c); }

// The first unit at or after `i` for which mayChange holds, or s.size().
std::size_t nextChange(std::u16string_view s, std::size_t i) {
  // Blocks of units tested without an early exit, so the compiler can test
  // them side by side.
  constexpr std::size_t kBlock = 32;
  for (; i + kBlock <= s.size(); i += kBlock) {
    bool any = false;
    for (std::size_t k = 0; k < kBlock; ++k) any |= mayChange(s[i + k]);
    if (any) break;
  }
  while (i < s.size() && !mayChange(s[i])) ++i;
  return i;
}

// Replaces the reserved private-use codes by U+3013 and applies kRewrites,
// appending the result to `out`.
void rewriteInto(std::u16string_view s, std::u16string& out) {
  std::size_t i = 0;
  while (i < s.size()) {
    std::size_t run = nextChange(s, i);
    while (run < s.size() && !isReservedCode(s[run]) && !mayRewrite(s, run)) run = nextChange(s, run + 1);
    out.append(s.substr(i, run - i));
    i = run;
    if (i >= s.size()) break;
    if (isReservedCode(s[i])) {
      out.push_back(0x3013);
      ++i;
      continue;
    }
    bool matched = false;
    for (const auto& pair : kRewrites) {
      if (s.substr(i, pair[0].size()) == pair[0]) {
        out.append(pair[1]);
        i += pair[0].size();
        matched = true;
        break;
      }
    }
    if (!matched) out.push_back(s[i++]);
  }
}

// normaliseRecord appended to `out`. A record without any quote has nothing
// to resolve: only the replacements apply.
void normaliseRecordInto(std::u16string_view record, std::u16string& out) {
  if (findUnit(record, kQuote) == std::u16string_view::npos) {
    rewriteInto(record, out);
    return;
  }
  std::u16string s;
  s.reserve(record.size() + 16);
  std::size_t prev = 0;
  for (const Segment& seg : findSegments(record)) {
    const bool closed = seg.closeQuote != std::u16string_view::npos;
    s.append(record.substr(prev, seg.openQuote - prev));
    s.append(resolveSegment(record.substr(seg.begin, seg.end - seg.begin), closed));
    if (closed) {
      s.append(record.substr(seg.end, seg.closeQuote - seg.end));
      prev = seg.closeQuote + 1;
    } else {
      prev = record.size();
    }
  }
  if (prev < record.size()) s.append(record.substr(prev));

  replaceAll(s, u"\"\"", u"\"");
  rewriteInto(dropLoneQuoteRuns(s), out);
}

}  // namespace

void scanQuotes(std::u16string_view s, QuoteScan& scan) {
  std::size_t i = scan.pos;
  while (i < s.size()) {
    if (s[i] == kQuote) {
      const std::size_t j = quoteRunEnd(s, i);
      if ((j - i) % 2 == 1) {
        if (scan.inQuote) {
          scan.inQuote = false;
        } else if (scan.fieldStart) {
          scan.inQuote = true;
        }
      }
      scan.fieldStart = false;
      i = j;
      continue;
    }
    scan.fieldStart = !scan.inQuote && s[i] == u'\t';
    ++i;
  }
  scan.pos = i;
}

std::u16string normaliseRecord(std::u16string_view record) {
  std::u16string out;
  out.reserve(record.size() + 16);
  normaliseRecordInto(record, out);
  return out;
}

void normaliseLines(std::istream& in, std::ostream& out) {
  copyByteOrderMark(in, out);
  WideLineReader reader(in, kWholeLines);
  WideLineWriter writer(out);
  std::u16string line;
  std::u16string record;
  std::u16string normalised;
  QuoteScan scan;
  auto put = [&] {
    normalised.clear();
    normaliseRecordInto(record, normalised);
    writer.write(normalised);
  };
  while (reader.read(line)) {
    record += line;
    scanQuotes(record, scan);
    if (scan.inQuote) continue;
    put();
    record.clear();
    scan = QuoteScan{};
  }
  if (!record.empty()) put();
}

}  // namespace dm
