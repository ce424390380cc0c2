// A plain reference of word selection for the tests: the same result as
// selectWords, computed line by line with ordered maps of substrings and no
// attention to speed, so that a fast selection can be compared with it on
// many small texts.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "dictcompiler/word_select.h"

namespace dm::test {

struct ReferenceSelection {
  std::vector<std::u16string> texts;  // the lines after selection
  std::vector<std::string> log;       // "scan len=..." and "Mark select len=..." lines
};

inline ReferenceSelection referenceSelectWords(const std::vector<std::u16string>& lines, const MinFreqTable& minFreq,
                                               int minLen, int maxLen) {
  constexpr int kStart = 255, kRest = 254;
  ReferenceSelection out;
  // mark[i][p]: the scan's candidate length at p in characters, later
  // kStart/kRest for the characters of selected words.
  std::vector<std::vector<int>> mark;
  for (const std::u16string& l : lines) mark.emplace_back(l.size(), 1);

  // The scan: pass n counts the n characters at every p whose marks at p and
  // p+1 (inside the line) are both n-1; p is marked n when its substring was
  // counted three times or more.
  for (int n = minLen / 2; n >= 2 && n <= 8; ++n) {
    auto counted = [&](std::size_t i, std::size_t p) {
      return mark[i][p] == n - 1 && p + 1 < lines[i].size() && mark[i][p + 1] == n - 1;
    };
    std::map<std::u16string, int> count;
    for (std::size_t i = 0; i < lines.size(); ++i)
      for (std::size_t p = 0; p < lines[i].size(); ++p)
        if (counted(i, p)) ++count[lines[i].substr(p, n)];
    out.log.push_back("scan len=" + std::to_string(2 * n) + " words=" + std::to_string(count.size()));
    if (count.empty()) break;
    std::vector<std::vector<int>> next = mark;
    for (std::size_t i = 0; i < lines.size(); ++i)
      for (std::size_t p = 0; p < lines[i].size(); ++p)
        if (counted(i, p) && count[lines[i].substr(p, n)] >= 3) next[i][p] = n;
    mark = next;
    if (n == 8) {
      // In a run of m positions marked 8 the t-th from the run's end (from
      // 0) is marked 8 + t, at most maxLen / 2.
      const int cap = std::max(maxLen / 2, 8);
      for (std::vector<int>& m : mark) {
        int t = 0;
        for (std::size_t p = m.size(); p-- > 0;) {
          t = m[p] == 8 ? t + 1 : 0;
          if (t > 0) m[p] = std::min(8 + t - 1, cap);
        }
      }
      break;
    }
  }

  // The selection, from the longest length down: a walk over every line
  // visits the candidates of n characters (scan mark at least n) that start
  // at or after the end of the last word taken in the walk and whose first
  // and last characters are not in a word yet. The counting walk takes a
  // word as soon as its count reaches the threshold; the replacing walk
  // turns every visited substring whose final count reaches it into a word.
  const int firstLen = std::min(maxLen, 200);
  if (firstLen >= minLen && firstLen >= 2) {
    int lastLen = firstLen;
    while (lastLen - 2 >= minLen && lastLen - 2 >= 2) lastLen -= 2;
    for (int len = firstLen; len >= lastLen; len -= 2) {
      const std::size_t n = static_cast<std::size_t>(len / 2);
      const std::uint32_t threshold = minFreq[static_cast<std::size_t>(len)];
      auto walk = [&](auto visit) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
          std::size_t next = 0;
          for (std::size_t p = 0; p < lines[i].size(); ++p) {
            const int m = mark[i][p];
            if (m < static_cast<int>(n) || m >= kRest || p < next || mark[i][p + n - 1] >= kRest) continue;
            if (visit(i, p, lines[i].substr(p, n))) next = p + n;
          }
        }
      };
      std::map<std::u16string, std::uint32_t> count;
      walk([&](std::size_t, std::size_t, const std::u16string& w) { return ++count[w] >= threshold; });
      out.log.push_back("Mark select len=" + std::to_string(len) + " words=" + std::to_string(count.size()));
      walk([&](std::size_t i, std::size_t p, const std::u16string& w) {
        const auto found = count.find(w);
        if (found == count.end() || found->second < threshold) return false;
        mark[i][p] = kStart;
        for (std::size_t q = p + 1; q < p + n; ++q) mark[i][q] = kRest;
        return true;
      });
    }
  }

  // Every selected word with U+0010 before and after it, one between two
  // words, none at the line's ends; a trailing CR is dropped.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::size_t e = lines[i].size();
    if (e > 0 && lines[i][e - 1] == u'\r') --e;
    std::u16string t;
    for (std::size_t p = 0; p < e; ++p) {
      const bool starts = mark[i][p] == kStart;
      const bool inWord = starts || mark[i][p] == kRest;
      const bool lastInWord = p > 0 && (mark[i][p - 1] == kStart || mark[i][p - 1] == kRest);
      if (p > 0 && (starts || inWord != lastInWord)) t.push_back(kTokenSeparator);
      t.push_back(lines[i][p]);
    }
    out.texts.push_back(t);
  }
  return out;
}

}  // namespace dm::test
