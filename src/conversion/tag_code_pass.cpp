#include "conversion/tag_code_pass.h"

#include <algorithm>

#include "conversion/block_text.h"
#include "textio/background_output.h"
#include "textio/pass_io.h"
#include "intake/markup_check.h"
#include "textio/case_fold.h"
#include "textio/hex.h"
#include "textio/markup_tags.h"
#include "textio/unit_search.h"
#include "textio/wide_line.h"

namespace dm {

namespace bt = blocktext;

namespace {

using markup::kColourClose;
using markup::kColourOpen;
using markup::kGbClose;
using markup::kGbOpen;
constexpr std::u16string_view kDefaultColour = u"ff000000";

// Device code of a one-letter style tag, or 0.
char16_t styleOn(char16_t letter) {
  switch (letter) {
    case markup::kBold: return bt::kBoldOn;
    case markup::kItalic: return bt::kItalicOn;
    case markup::kKeepTogether: return bt::kKeepOn;
    case markup::kStyleS: return bt::kStyleSOn;
    case markup::kUnderline: return bt::kUnderlineOn;
    default: return 0;
  }
}

}  // namespace

std::u16string colourText(std::u16string_view spec) {
  if (spec.empty() || spec[0] != u'"') return std::u16string(kDefaultColour);
  std::size_t close = spec.find(u'"', 1);
  if (close == std::u16string_view::npos) return std::u16string(kDefaultColour);
  std::u16string_view quoted = spec.substr(1, close - 1);
  if (quoted.find(u'>') != std::u16string_view::npos) return std::u16string(kDefaultColour);
  if (!isGoodColour(quoted)) return std::u16string(kDefaultColour);
  // No colour name is made of hex digits only, so six hex digits are never a name.
  bool hex = quoted.size() == 6;
  for (char16_t c : quoted) hex = hex && isHexDigit(c);
  if (hex) return u"ff" + std::u16string(quoted);
  return u"T" + lowerCase(quoted) + u"#";
}

namespace {

// tagToCodeLine appended to `out`.
void appendTagCodes(std::u16string_view line, std::u16string& out) {
  std::size_t tab = line.find(bt::kTab);
  if (tab == std::u16string_view::npos) {
    out.append(line);
    return;
  }
  out.append(line.substr(0, tab + 1));
  const std::u16string_view value = line.substr(tab + 1);
  const std::size_t bodyEnd = bt::withoutLineEnd(value).size();
  std::size_t i = 0;
  while (i < value.size()) {
    char16_t c = value[i];
    if (c != u'<') {
      // Only '<' starts a tag: the text up to the next one stays.
      const std::size_t next = std::min(findUnit(value, u'<', i), value.size());
      out.append(value.substr(i, next - i));
      i = next;
      continue;
    }
    std::u16string_view rest = value.substr(i);
    if (rest.starts_with(kGbOpen)) {
      out.push_back(bt::kGbOn);
      i += kGbOpen.size();
    } else if (rest.starts_with(kGbClose)) {
      out.push_back(bt::kGbOff);
      i += kGbClose.size();
    } else if (rest.starts_with(kColourClose)) {
      out.push_back(bt::kColourOff);
      i += kColourClose.size();
    } else if (rest.starts_with(kColourOpen)) {
      std::size_t specStart = i + kColourOpen.size();
      out.push_back(bt::kColourOn);
      out += colourText(value.substr(specStart, bodyEnd > specStart ? bodyEnd - specStart : 0));
      // Skip the specification up to and including the next '>' (the line
      // end stays when there is none).
      std::size_t gt = value.find(u'>', specStart);
      i = (gt == std::u16string_view::npos || gt >= bodyEnd) ? std::max(bodyEnd, specStart) : gt + 1;
    } else if (rest.size() >= 3 && rest[2] == u'>' && rest[1] != u'/') {
      char16_t code = styleOn(rest[1]);
      if (code) {
        out.push_back(code);
      } else {
        out.append(rest.substr(0, 3));
      }
      i += 3;
    } else if (rest.size() >= 4 && rest[1] == u'/' && rest[3] == u'>') {
      char16_t code = styleOn(rest[2]);
      if (code) {
        out.push_back(static_cast<char16_t>(code + 1));
      } else {
        out.append(rest.substr(0, 4));
      }
      i += 4;
    } else {
      out.push_back(c);
      ++i;
    }
  }
}

}  // namespace

std::u16string tagToCodeLine(std::u16string_view line) {
  std::u16string out;
  out.reserve(line.size());
  appendTagCodes(line, out);
  return out;
}

void tagToCodePass(std::istream& in, std::ostream& out) {
  copyByteOrderMark(in, out);
  WideLineReader reader(in);
  WideLineWriter writer(out);
  std::u16string line, coded;
  while (reader.read(line)) {
    coded.clear();
    appendTagCodes(line, coded);
    writer.write(coded);
  }
}

void tagToCodePass(const std::filesystem::path& inPath, const std::filesystem::path& outPath) {
  std::ifstream in = openPassInput(inPath);
  BackgroundOutput out(outPath);
  tagToCodePass(in, out);
  out.close();
}

}  // namespace dm
