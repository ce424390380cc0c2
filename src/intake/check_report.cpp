#include "intake/check_report.h"

#include "textio/wide_line.h"

namespace dm {

namespace {

constexpr std::u16string_view kLineWord = u" 行目  \t";

// The report line of a line entry.
std::u16string lineEntryText(const ErrorEntry& e) {
  std::u16string_view text = e.text;
  // The line number is everything before the first '<' (digits only).
  const std::size_t cut = text.find(u'<');
  std::u16string_view number = text.substr(0, cut);
  std::u16string out(number);
  out += kLineWord;
  if (cut != std::u16string_view::npos && text.substr(cut, 3) == u"<T>") {
    const char16_t form = text.size() > cut + 3 ? text[cut + 3] : 0;
    const int kind = (form >> 4) & 0xF;
    const int tag = form & 0xF;
    out += tag == 0 ? tagRuleMessage(kind) : errorMessage(23);
  } else if (cut != std::u16string_view::npos && text.substr(cut, 3) == u"<F>") {
    out += errorMessage(e.code);
    out += u' ';
    out += text.substr(cut + 3);
  } else {
    out += errorMessage(e.code);
  }
  return out;
}

// Picture and sound entries: the text without its eight leading digits.
std::u16string mediaEntryText(const ErrorEntry& e) {
  return e.text.size() > 8 ? e.text.substr(8) : std::u16string();
}

}  // namespace

std::vector<std::u16string> checkReportLines(const ErrorList& errors) {
  std::vector<std::u16string> lines;
  if (errors.empty()) return lines;
  for (const ErrorEntry& e : errors) {
    if (e.type == kLineEntry) lines.push_back(lineEntryText(e));
  }
  for (EntryType type : {kPictureEntry, kSoundEntry, kSummaryEntry}) {
    bool first = true;
    for (const ErrorEntry& e : errors) {
      if (e.type != type) continue;
      if (first) lines.emplace_back();
      first = false;
      if (type == kSummaryEntry) {
        lines.push_back(e.text.empty() ? std::u16string(errorMessage(e.code)) : e.text);
      } else {
        lines.push_back(mediaEntryText(e));
      }
    }
  }
  return lines;
}

void writeCheckReport(const ErrorList& errors, std::ostream* file, const ReportLineSink& sink) {
  if (errors.empty()) return;
  if (file) writeByteOrderMark(*file);
  for (const std::u16string& line : checkReportLines(errors)) {
    if (file) {
      writeWideLine(*file, line);
      writeWideLine(*file, u"\r\n");
    }
    if (sink && !line.empty()) sink(line);
  }
}

}  // namespace dm
