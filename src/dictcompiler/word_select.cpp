#include "dictcompiler/word_select.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>

#include "dictcompiler/split_file.h"
#include "dictcompiler/substring_counter.h"

namespace dm {

namespace {

constexpr std::uint8_t kWordStart = 255;
constexpr std::uint8_t kWordRest = 254;
constexpr std::uint32_t kProgressLines = 50000;
// The scan counts candidate lengths up to this many characters, then
// extends runs of marks of this value.
constexpr std::uint32_t kScanLength = 8;

// The texts of a library joined, each line followed by a sentinel whose mark
// stays 0, with one mark per character and a level per line.
struct Corpus {
  std::vector<char16_t> text;
  std::vector<std::uint8_t> mark;
  std::vector<std::uint32_t> start;  // line i: [start[i], start[i+1] - 1)
  std::vector<std::uint8_t> level;

  std::size_t lines() const { return level.size(); }
  std::uint32_t begin(std::size_t i) const { return start[i]; }
  std::uint32_t end(std::size_t i) const { return start[i + 1] - 1; }
};

Corpus buildCorpus(const std::vector<SplitLine>& lines) {
  Corpus c;
  std::size_t total = 0;
  for (const SplitLine& l : lines) total += l.text.size() + 1;
  c.text.reserve(total);
  c.mark.reserve(total);
  c.start.reserve(lines.size() + 1);
  for (const SplitLine& l : lines) {
    c.start.push_back(static_cast<std::uint32_t>(c.text.size()));
    c.text.insert(c.text.end(), l.text.begin(), l.text.end());
    c.mark.insert(c.mark.end(), l.text.size(), 1);
    c.text.push_back(0);
    c.mark.push_back(0);
  }
  c.start.push_back(static_cast<std::uint32_t>(c.text.size()));
  c.level.assign(lines.size(), 1);
  return c;
}

void progress(const CompileState* s, const char* what, std::size_t line) {
  if (s && (line + 1) % kProgressLines == 0) s->print("\r%s %d       \r", what, static_cast<int>(line + 1));
}

void raise(std::uint8_t& level, std::uint32_t v) {
  if (v > level) level = static_cast<std::uint8_t>(v);
}

// Finds the candidate lengths: a position gets mark n when the n characters
// from it occur at least 3 times among the counted positions.
void scan(Corpus& c, SubstringCounter& counter, int minLen, int maxLen, const CompileState* s) {
  for (std::uint32_t n = static_cast<std::uint32_t>(minLen / 2); n >= 2 && n <= kScanLength; ++n) {
    const std::uint8_t prev = static_cast<std::uint8_t>(n - 1);
    counter.reset(n);
    for (std::size_t i = 0; i < c.lines(); ++i) {
      progress(s, "scan lines", i);
      if (c.level[i] < prev) continue;
      const std::uint32_t e = c.end(i);
      for (std::uint32_t k = c.begin(i); k < e; ++k) {
        if (c.mark[k] == prev && c.mark[k + 1] == prev && k + n <= e && counter.add(k) >= 3) {
          c.mark[k] = static_cast<std::uint8_t>(n);
          raise(c.level[i], n);
        }
      }
    }
    if (s) s->print("\rscan len=%d words=%d\n", static_cast<int>(2 * n), static_cast<int>(counter.size()));
    if (counter.size() == 0) return;
    for (std::size_t i = 0; i < c.lines(); ++i) {
      progress(s, "mark lines", i);
      if (c.level[i] < prev) continue;
      const std::uint32_t e = c.end(i);
      for (std::uint32_t k = c.begin(i); k < e; ++k) {
        if (c.mark[k] == prev && c.mark[k + 1] >= prev && k + n <= e && counter.find(k) >= 3) {
          c.mark[k] = static_cast<std::uint8_t>(n);
          raise(c.level[i], n);
        }
      }
    }
    if (n == kScanLength) {
      // A run of m marks 8 becomes 8+m-1, ..., 9, 8 (capped at maxLen / 2).
      const std::uint32_t cap = static_cast<std::uint32_t>(std::max(maxLen / 2, 8));
      for (std::size_t i = 0; i < c.lines(); ++i) {
        const std::uint32_t b = c.begin(i);
        std::uint32_t j = c.end(i);
        while (j > b) {
          --j;
          if (c.mark[j] != kScanLength) continue;
          std::uint32_t v = kScanLength;
          while (j > b && c.mark[j - 1] == kScanLength) {
            --j;
            v = std::min(v + 1, cap);
            c.mark[j] = static_cast<std::uint8_t>(v);
            raise(c.level[i], v);
          }
        }
      }
      return;
    }
  }
}

// Walks the positions of one line as the selection does. `visit(k)` is called
// for every candidate and returns whether the walk jumps over it.
template <class Visit>
void walkLine(const Corpus& c, std::size_t i, std::uint32_t n, Visit visit) {
  const std::uint32_t e = c.end(i);
  std::uint32_t k = c.begin(i);
  while (k < e) {
    const std::uint8_t m = c.mark[k];
    if (m == kWordStart) {
      ++k;
      while (k < e && c.mark[k] >= kWordRest) ++k;
      continue;
    }
    if (m >= n && m < kWordRest && k + n <= e && c.mark[k + n - 1] < kWordRest && visit(k)) {
      k += n;
    } else {
      ++k;
    }
  }
}

void select(Corpus& c, SubstringCounter& counter, const MinFreqTable& minFreq, int minLen, int maxLen,
            const CompileState* s) {
  for (int len = std::min(maxLen, 200); len >= minLen && len >= 2; len -= 2) {
    const auto n = static_cast<std::uint32_t>(len / 2);
    const std::uint32_t threshold = minFreq[static_cast<std::size_t>(len)];
    counter.reset(n);
    for (std::size_t i = 0; i < c.lines(); ++i) {
      progress(s, "select lines", i);
      if (c.level[i] < n) continue;
      walkLine(c, i, n, [&](std::uint32_t k) { return counter.add(k) >= threshold; });
    }
    if (s) s->print("\rMark select len=%d words=%d\n", len, static_cast<int>(counter.size()));
    if (counter.size() == 0) continue;
    for (std::size_t i = 0; i < c.lines(); ++i) {
      progress(s, "replace lines", i);
      if (c.level[i] < n) continue;
      walkLine(c, i, n, [&](std::uint32_t k) {
        const std::uint32_t count = counter.find(k);
        if (count == 0 || count < threshold) return false;
        c.mark[k] = kWordStart;
        std::fill(c.mark.begin() + k + 1, c.mark.begin() + k + n, kWordRest);
        return true;
      });
    }
  }
}

// The text of line i with U+0010 before and after every selected word. A
// text read back from the split file loses a trailing CR, so one is dropped
// here too.
std::u16string rebuild(const Corpus& c, std::size_t i) {
  std::uint32_t e = c.end(i);
  const std::uint32_t b = c.begin(i);
  if (e > b && c.text[e - 1] == u'\r') --e;
  std::u16string out;
  out.reserve(e - b + 8);
  std::uint32_t k = b;
  while (k < e) {
    if (c.mark[k] != kWordStart) {
      out.push_back(c.text[k++]);
      continue;
    }
    if (k > b) out.push_back(kTokenSeparator);
    std::uint32_t j = k + 1;
    while (j < e && c.mark[j] == kWordRest) ++j;
    out.append(c.text.data() + k, c.text.data() + j);
    if (j < e && c.mark[j] != kWordStart) out.push_back(kTokenSeparator);
    k = j;
  }
  return out;
}

std::uint32_t readNumber(const std::string& line, std::size_t& pos, bool& ok) {
  while (pos < line.size() && !std::isdigit(static_cast<unsigned char>(line[pos]))) ++pos;
  if (pos >= line.size()) {
    ok = false;
    return 0;
  }
  std::uint64_t v = 0;
  while (pos < line.size() && std::isdigit(static_cast<unsigned char>(line[pos]))) {
    v = std::min<std::uint64_t>(v * 10 + static_cast<unsigned>(line[pos] - '0'), UINT32_MAX);
    ++pos;
  }
  return static_cast<std::uint32_t>(v);
}

}  // namespace

MinFreqTable defaultMinFreq() {
  MinFreqTable t{};
  for (std::size_t len = 0; len < t.size(); ++len) {
    if (len < 6)
      t[len] = 10;
    else if (len < 8)
      t[len] = 7;
    else if (len < 10)
      t[len] = 5;
    else if (len < 30)
      t[len] = 4;
    else
      t[len] = 3;
  }
  return t;
}

void applyFreqRules(MinFreqTable& table, std::istream& rules) {
  enum class Op { kGreater, kGreaterEqual, kLess, kLessEqual, kEqual };
  struct Rule {
    Op op;
    std::uint32_t n;
    std::uint32_t f;
  };
  std::vector<Rule> list;
  std::string line;
  while (std::getline(rules, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ':') continue;
    Op op;
    if (line.compare(0, 2, ">=") == 0)
      op = Op::kGreaterEqual;
    else if (line.compare(0, 2, "<=") == 0)
      op = Op::kLessEqual;
    else if (line[0] == '>')
      op = Op::kGreater;
    else if (line[0] == '<')
      op = Op::kLess;
    else if (std::isdigit(static_cast<unsigned char>(line[0])))
      op = Op::kEqual;
    else
      continue;
    std::size_t pos = 0;
    bool ok = true;
    const std::uint32_t n = readNumber(line, pos, ok);
    const std::uint32_t f = readNumber(line, pos, ok);
    if (ok) list.push_back(Rule{op, n, f});
  }
  for (std::uint32_t len = 0; len < table.size(); ++len) {
    for (const Rule& r : list) {
      const bool holds = r.op == Op::kGreater        ? len > r.n
                         : r.op == Op::kGreaterEqual ? len >= r.n
                         : r.op == Op::kLess         ? len < r.n
                         : r.op == Op::kLessEqual    ? len <= r.n
                                                     : len == r.n;
      if (holds) {
        table[len] = r.f;
        break;
      }
    }
  }
}

MinFreqTable loadMinFreq(const std::filesystem::path& rulePath) {
  MinFreqTable table = defaultMinFreq();
  std::ifstream rules(rulePath);
  if (rules) applyFreqRules(table, rules);
  return table;
}

void selectWords(std::vector<SplitLine>& lines, const MinFreqTable& minFreq, int minLen, int maxLen,
                 const CompileState* s) {
  Corpus c = buildCorpus(lines);
  SubstringCounter counter(c.text);
  scan(c, counter, minLen, maxLen, s);
  select(c, counter, minFreq, minLen, maxLen, s);
  if (s) s->print("\rout split file...     \r");
  for (std::size_t i = 0; i < lines.size(); ++i) lines[i].text = rebuild(c, i);
}

void SelectWordLibs(CompileState& s) {
  for (WordLib& lib : s.libs) {
    s.print("\rselect word lib %s       \n", lib.name.c_str());
    selectWords(lib.lines, loadMinFreq(lib.rulePath), lib.minLen, lib.maxLen, &s);
    writeSplitFile(lib.splitPath, s.dict, lib.lines);
  }
}

}  // namespace dm
