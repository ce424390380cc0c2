#include "intake/record_split.h"

#include "textio/markup_tags.h"
#include "textio/unit_search.h"

namespace dm {

int splitRecord(std::u16string_view line, SplitRecord& record) {
  record = SplitRecord{};
  // The line ends at a zero unit or at CR LF; TAB, CR, LF and zero are all
  // control units, so one search finds the next of them.
  int i = 0;
  int stored = 0;
  std::size_t start = 0;
  std::size_t end = line.size();
  for (std::size_t k = findUnitAtMost(line, u'\r'); k != std::u16string_view::npos;
       k = findUnitAtMost(line, u'\r', k + 1)) {
    const char16_t c = line[k];
    if (c == u'\0' || (c == u'\r' && k + 1 < line.size() && line[k + 1] == u'\n')) {
      end = k;
      break;
    }
    if (c != u'\t') continue;
    std::u16string_view f = line.substr(start, k - start);
    if (i < kFieldSlots) {
      if (!f.empty()) {
        record.fields[stored] = f;
        record.lastNonEmpty = i;
      }
      ++stored;
    } else if (!f.empty()) {
      record.lastNonEmpty = i;
    }
    ++i;
    start = k + 1;
  }
  line = line.substr(0, end);
  std::u16string_view tail = line.substr(start);
  record.count = stored;
  if (!tail.empty()) {
    record.lastNonEmpty = i;
    if (i < kFieldSlots) record.fields[stored] = tail;
  }
  if (record.count >= kFieldSlots) record.count = kFieldSlots - 1;

  if (record.lastNonEmpty < kLastUsableField) {
    record.count = record.lastNonEmpty;
  } else if (record.count > kLastUsableField) {
    record.count = kLastUsableField;
  }
  while (record.count > 0 && !record.fields[record.count]) --record.count;

  int result = record.count;
  for (int k = record.count; k >= kFirstCaseField; --k) {
    if (!record.fields[k] || isBlank(*record.fields[k])) {
      result = k - 1;
      record.blankCaseCut = 1;
    }
  }
  record.count = result;
  return record.count;
}

bool isBlank(std::u16string_view text) {
  std::size_t k = 0;
  while (k < text.size()) {
    if (text[k] == u' ' || text[k] == u'\u3000') {
      ++k;
    } else if (text.substr(k, markup::kBreak.size()) == markup::kBreak) {
      k += markup::kBreak.size();
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace dm
