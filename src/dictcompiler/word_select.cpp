#include "dictcompiler/word_select.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>

#include "dictcompiler/side_by_side.h"
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
// stays 0, with one mark per character.
struct Corpus {
  std::vector<char16_t> text;
  std::vector<std::uint8_t> mark;
  std::vector<std::uint32_t> start;  // line i: [start[i], start[i+1] - 1)

  std::size_t lines() const { return start.size() - 1; }
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
  return c;
}

// Prints "\r<what> <n>" for every n = 50000, 100000, ... up to the number of
// lines, as a walk over the lines reports its progress.
void reportLines(const CompileState* s, const char* what, std::size_t lines) {
  if (!s) return;
  for (std::size_t n = kProgressLines; n <= lines; n += kProgressLines)
    s->print("\r%s %d       \r", what, static_cast<int>(n));
}

// Counts 64-bit keys and gives each a dense id (open addressing; the count
// lives in the slot so that counting touches one slot).
class KeyCounter {
 public:
  void reset(std::size_t expected) {
    std::size_t cap = 1024;
    while (cap < expected * 2) cap *= 2;
    slots_.assign(cap, Slot{kEmpty, 0, 0});
    shift_ = 64 - std::countr_zero(cap);
    size_ = 0;
  }
  // The id of `key`, counted once more.
  std::uint32_t add(std::uint64_t key) {
    if ((size_ + 1) * 2 > slots_.size()) grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = slot(key);; i = (i + 1) & mask) {
      Slot& s = slots_[i];
      if (s.key == key) {
        ++s.count;
        return s.id;
      }
      if (s.key == kEmpty) {
        s = Slot{key, 1, static_cast<std::uint32_t>(size_++)};
        return s.id;
      }
    }
  }
  // A hint that `key` will be counted soon.
  void prefetch(std::uint64_t key) const { __builtin_prefetch(&slots_[slot(key)]); }
  // Count of every id, by id.
  std::vector<std::uint32_t> counts() const {
    std::vector<std::uint32_t> out(size_);
    for (const Slot& s : slots_)
      if (s.key != kEmpty) out[s.id] = s.count;
    return out;
  }
  std::size_t size() const { return size_; }

 private:
  static constexpr std::uint64_t kEmpty = ~0ull;
  struct Slot {
    std::uint64_t key;
    std::uint32_t count;
    std::uint32_t id;
  };
  std::size_t slot(std::uint64_t key) const { return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> shift_); }
  void grow() {
    std::vector<Slot> old(slots_.size() * 2, Slot{kEmpty, 0, 0});
    old.swap(slots_);
    shift_ = 64 - std::countr_zero(slots_.size());
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
      if (s.key == kEmpty) continue;
      std::size_t i = slot(s.key);
      while (slots_[i].key != kEmpty) i = (i + 1) & mask;
      slots_[i] = s;
    }
  }

  std::vector<Slot> slots_;
  int shift_ = 54;
  std::size_t size_ = 0;
};

// Finds the candidate lengths. Pass n counts the n characters at every
// position k whose marks at k and k+1 are both n-1, and marks k with n when
// that substring was counted at least 3 times. A substring of n characters
// is keyed by the class of its first n-1 characters and its last character.
// A mark m at k means k + m <= end of line, and a line's sentinel is marked
// 0, so substrings never reach past their line.
//
// The positions a pass counts are kept in a list in text order, each with
// the class of its n-1 characters (the id they were counted under in the
// pass before), so that a pass reads the two lists front to back and never
// the whole text. Marking the positions of a pass also builds the list of
// the next: k is counted in pass n+1 when k and k+1 are both marked n, and
// k+1, when it is in the list at all, follows k directly.
void scan(Corpus& c, int minLen, int maxLen, const CompileState* s) {
  const std::size_t size = c.text.size();
  std::vector<std::uint32_t> pos;  // the positions counted in this pass
  std::vector<std::uint32_t> cls;  // by entry of pos: the class, then the id counted
  KeyCounter counter;
  const auto firstN = static_cast<std::uint32_t>(minLen / 2);
  for (std::uint32_t n = firstN; n >= 2 && n <= kScanLength; ++n) {
    reportLines(s, "scan lines", c.lines());
    if (n == firstN && n == 2) {
      // Every position whose character and next character are both in a
      // line (marked 1). A first pass above 2 finds no marks n-1.
      std::size_t found = 0;
      for (std::uint32_t k = 0; k + 1 < size; ++k) found += c.mark[k] == 1 && c.mark[k + 1] == 1;
      pos.reserve(found);
      cls.resize(found);
      for (std::uint32_t k = 0; k + 1 < size; ++k)
        if (c.mark[k] == 1 && c.mark[k + 1] == 1) pos.push_back(k);
    }
    // The key of entry j: the class of its first n-1 characters (the first
    // character itself when n is 2) and its last character.
    auto keyAt = [&](std::size_t j) {
      const std::uint32_t k = pos[j];
      const std::uint64_t head = n == 2 ? c.text[k] : cls[j];
      return head << 16 | c.text[k + n - 1];
    };
    // Counting in position order; the slots of the keys a little ahead are
    // fetched early, since the table can outgrow the caches. Sized for
    // about as many distinct keys as the last pass had.
    counter.reset(counter.size() + counter.size() / 4);
    // Each key is computed once, kAhead steps before it is counted, and
    // waits in a ring.
    constexpr std::size_t kAhead = 16;
    std::array<std::uint64_t, 2 * kAhead> ahead;
    const std::size_t count = pos.size();
    for (std::size_t j = 0; j < kAhead && j < count; ++j) ahead[j] = keyAt(j);
    for (std::size_t j = 0; j < count; ++j) {
      if (j + kAhead < count) {
        const std::uint64_t key = keyAt(j + kAhead);
        ahead[(j + kAhead) % ahead.size()] = key;
        counter.prefetch(key);
      }
      cls[j] = counter.add(ahead[j % ahead.size()]);
    }
    if (s) s->print("\rscan len=%d words=%d\n", static_cast<int>(2 * n), static_cast<int>(counter.size()));
    if (counter.size() == 0) return;
    const std::vector<std::uint32_t> counts = counter.counts();
    reportLines(s, "mark lines", c.lines());
    // Marks the positions counted 3 times or more (every position counted
    // is marked n-1 so far); each marked position whose successor is marked
    // too goes on to the next pass with its id. Without branches, which the
    // marks would mostly mispredict. The lists shrink in place: step j reads
    // entry j, then writes entry j - 1 (held aside) at next <= j.
    std::size_t next = 0;
    bool lastMarked = false;
    std::uint32_t lastK = 0, lastId = 0;
    for (std::size_t j = 0; j < count; ++j) {
      const std::uint32_t k = pos[j];
      const std::uint32_t id = cls[j];
      const bool marked = counts[id] >= 3;
      c.mark[k] = static_cast<std::uint8_t>(n - 1 + marked);
      pos[next] = lastK;
      cls[next] = lastId;
      next += lastMarked && marked && lastK + 1 == k;
      lastMarked = marked;
      lastK = k;
      lastId = id;
    }
    pos.resize(next);
    cls.resize(next);
    if (n == kScanLength) {
      // A run of m marks 8 becomes 8+m-1, ..., 9, 8 (capped at maxLen / 2).
      // Runs end at the sentinels.
      const std::uint32_t cap = static_cast<std::uint32_t>(std::max(maxLen / 2, 8));
      std::size_t j = size;
      while (j > 0) {
        --j;
        if (c.mark[j] != kScanLength) continue;
        std::uint32_t v = kScanLength;
        while (j > 0 && c.mark[j - 1] == kScanLength) {
          --j;
          v = std::min(v + 1, cap);
          c.mark[j] = static_cast<std::uint8_t>(v);
        }
      }
      return;
    }
  }
}

// The positions a pass of the selection visits, in text order: those whose
// mark m satisfies n <= m < kWordRest. A scan mark never reaches past its
// line (k + mark[k] <= end of line), so neither does a candidate. As n falls
// the set only gains the positions marked n and loses those taken by words,
// so each pass merges the previous list with the positions marked n.
class Candidates {
 public:
  Candidates(const Corpus& c, std::uint32_t lowest, std::uint32_t first) {
    // Positions marked lowest .. first - 1 sorted by mark (counting sort),
    // each group in text order; the first pass takes every mark from `first`.
    std::array<std::uint32_t, 257> begin{};
    for (std::size_t k = 0; k < c.mark.size(); ++k) {
      const std::uint8_t m = c.mark[k];
      if (m >= lowest && m < first) ++begin[m + 1];
      else if (m >= first && m < kWordRest) list_.push_back(static_cast<std::uint32_t>(k));
    }
    for (std::size_t m = 1; m < begin.size(); ++m) begin[m] += begin[m - 1];
    bucketStart_ = begin;
    byMark_.resize(begin[256]);
    for (std::size_t k = 0; k < c.mark.size(); ++k) {
      const std::uint8_t m = c.mark[k];
      if (m >= lowest && m < first) byMark_[begin[m]++] = static_cast<std::uint32_t>(k);
    }
  }

  // Moves to pass n (called with n falling by one from `first`, except for
  // the first pass): drops positions taken by words, adds those marked n.
  void extend(const Corpus& c, std::uint32_t n) {
    // Drops the positions taken by words, then merges the new ones in from
    // the back, in place.
    std::size_t kept = 0;
    for (std::uint32_t k : list_)
      if (c.mark[k] < kWordRest) list_[kept++] = k;
    const std::uint32_t* b = byMark_.data() + bucketStart_[n];
    std::size_t added = bucketStart_[n + 1] - bucketStart_[n];
    list_.resize(kept + added);
    for (std::size_t out = kept + added; added > 0;) {
      if (kept > 0 && list_[kept - 1] > b[added - 1])
        list_[--out] = list_[--kept];
      else
        list_[--out] = b[--added];
    }
  }

  const std::vector<std::uint32_t>& list() const { return list_; }

 private:
  std::vector<std::uint32_t> list_, byMark_;
  std::array<std::uint32_t, 257> bucketStart_{};
};

// Walks the candidates of pass n in text order as the selection does: a
// candidate is visited when the last character of its substring is not in
// a word, and `visit(j, k)` (j its index in the list) returns whether the
// walk jumps over the substring.
template <class Visit>
void walkCandidates(const Corpus& c, const std::vector<std::uint32_t>& list, std::uint32_t n, Visit visit) {
  std::uint32_t next = 0;
  for (std::size_t j = 0; j < list.size(); ++j) {
    const std::uint32_t k = list[j];
    if (k < next || c.mark[k] >= kWordRest || c.mark[k + n - 1] >= kWordRest) continue;
    if (visit(j, k)) next = k + n;
  }
}

void select(Corpus& c, SubstringCounter& counter, const MinFreqTable& minFreq, int minLen, int maxLen,
            const CompileState* s) {
  constexpr std::size_t kAhead = 4;
  const int firstLen = std::min(maxLen, 200);
  if (firstLen < minLen || firstLen < 2) return;
  int lastLen = firstLen;
  while (lastLen - 2 >= minLen && lastLen - 2 >= 2) lastLen -= 2;
  const auto first = static_cast<std::uint32_t>(firstLen / 2);
  Candidates candidates(c, static_cast<std::uint32_t>(lastLen / 2), first);
  // The id counted for each candidate in the current pass, for the
  // replacing walk (kNone: not counted).
  std::vector<std::uint32_t> idAt;
  for (int len = firstLen; len >= lastLen; len -= 2) {
    const auto n = static_cast<std::uint32_t>(len / 2);
    if (n != first) candidates.extend(c, n);
    const std::vector<std::uint32_t>& list = candidates.list();
    const std::uint32_t threshold = minFreq[static_cast<std::size_t>(len)];
    counter.reset(n);
    idAt.assign(list.size(), SubstringCounter::kNone);
    reportLines(s, "select lines", c.lines());
    walkCandidates(c, list, n, [&](std::size_t j, std::uint32_t k) {
      // The table outgrows the caches: the slots of the candidates a few
      // steps ahead are fetched early, then the text and count they hold.
      // The hashes are computed where needed (from the prefix hashes, in
      // constant time) rather than kept, which would take 8 bytes per
      // candidate.
      if (j + 2 * kAhead < list.size()) counter.prefetch(counter.hash(list[j + 2 * kAhead]));
      if (j + kAhead < list.size()) counter.prefetchEntry(counter.hash(list[j + kAhead]));
      const std::uint32_t id = counter.add(k);
      idAt[j] = id;
      return counter.count(id) >= threshold;
    });
    if (s) s->print("\rMark select len=%d words=%d\n", len, static_cast<int>(counter.size()));
    if (counter.size() == 0) continue;
    reportLines(s, "replace lines", c.lines());
    walkCandidates(c, list, n, [&](std::size_t j, std::uint32_t k) {
      const std::uint32_t id = idAt[j] != SubstringCounter::kNone ? idAt[j] : counter.find(k);
      if (id == SubstringCounter::kNone || counter.count(id) < threshold) return false;
      c.mark[k] = kWordStart;
      std::fill(c.mark.begin() + k + 1, c.mark.begin() + k + n, kWordRest);
      return true;
    });
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
  scan(c, minLen, maxLen, s);
  SubstringCounter counter(c.text);
  select(c, counter, minFreq, minLen, maxLen, s);
  if (s) s->print("\rout split file...     \r");
  for (std::size_t i = 0; i < lines.size(); ++i) lines[i].text = rebuild(c, i);
}

void SelectWordLibs(CompileState& s) {
  // The libraries are independent, so they are selected side by side, the
  // largest first. Each keeps its progress texts, which are printed in
  // library order at the end.
  std::vector<std::size_t> units(s.libs.size(), 0);
  for (std::size_t i = 0; i < s.libs.size(); ++i)
    for (const SplitLine& l : s.libs[i].lines) units[i] += l.text.size();
  const std::vector<std::size_t> order = largestFirst(units);
  SelectionGate* gate = s.ctx.selectionGate;
  if (gate && s.ctx.selectionTurn == SelectionGate::Turn::kFirst) gate->expectFirst(order.size());
  std::vector<std::ostringstream> logs(s.libs.size());
  const std::vector<std::exception_ptr> failures = runSideBySide(order, [&](std::size_t i) {
    WordLib& lib = s.libs[i];
    const SelectionGate::Pass pass = SelectionGate::enter(gate, s.ctx.selectionTurn, units[i]);
    CompileState local(s.ctx);
    local.out = s.out ? &logs[i] : nullptr;
    local.print("\rselect word lib %s       \n", lib.name.c_str());
    selectWords(lib.lines, loadMinFreq(lib.rulePath), lib.minLen, lib.maxLen, &local);
    writeSplitFile(lib.splitPath, s.dict, lib.lines);
  });
  for (std::size_t i = 0; i < s.libs.size(); ++i) {
    if (s.out) *s.out << logs[i].str();
    if (failures[i]) std::rethrow_exception(failures[i]);
  }
}

}  // namespace dm
