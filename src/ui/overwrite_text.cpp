#include "ui/overwrite_text.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <utility>

namespace dm::ui {

namespace {

constexpr std::array<std::pair<char32_t, char32_t>, 18> kWideRanges = {{
    {0x3041, 0x3096}, {0x3099, 0x309F}, {0x30A1, 0x30FA}, {0x30FC, 0x30FF}, {0x31F0, 0x31FF},
    {0xFF66, 0xFF9F}, {0x2E80, 0x2E99}, {0x2E9B, 0x2EF3}, {0x2F00, 0x2FD5}, {0x3007, 0x3007},
    {0x3021, 0x3029}, {0x3038, 0x303A}, {0x31C0, 0x31CF}, {0x3400, 0x4DB5}, {0x4E00, 0x9FBB},
    {0xF900, 0xFA2D}, {0xFA30, 0xFA6A}, {0xFA70, 0xFAD9},
}};

constexpr int kFirstLineWidth = 40;
constexpr int kSecondLineWidth = 25;

// The next character of `text` at `pos` as a code point, with its length in
// code units; a surrogate pair stays whole, a lone surrogate counts alone.
std::pair<char32_t, std::size_t> nextChar(std::u16string_view text, std::size_t pos) {
  const char16_t c = text[pos];
  if (c >= 0xD800 && c <= 0xDBFF && pos + 1 < text.size() && text[pos + 1] >= 0xDC00 && text[pos + 1] <= 0xDFFF)
    return {0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[pos + 1]) - 0xDC00), 2};
  return {c, 1};
}

// Lower-cases ASCII letters only; the kinds are ASCII.
std::u16string asciiLower(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return out;
}

}  // namespace

int messageCharWidth(char32_t c) {
  for (const auto& [lo, hi] : kWideRanges)
    if (c >= lo && c <= hi) return 2;
  return 1;
}

std::u16string overwriteMessage(std::u16string_view name) {
  std::u16string out = u"既に’";
  int w = 0;
  bool broken = false;
  // Appends one character under the first-line rule; true once broken.
  auto firstLine = [&](std::u16string_view ch, char32_t c) {
    out += ch;
    w += messageCharWidth(c);
    if (w >= kFirstLineWidth) {
      out += u'\n';
      w = 0;
      broken = true;
    }
  };
  for (std::size_t pos = 0; pos < name.size();) {
    auto [c, len] = nextChar(name, pos);
    std::u16string_view ch = name.substr(pos, len);
    pos += len;
    if (!broken) {
      firstLine(ch, c);
      continue;
    }
    out += ch;
    w += messageCharWidth(c);
    if (w >= kSecondLineWidth) {
      out += u"...";
      break;
    }
  }
  constexpr std::u16string_view kTail = u"’ファイルが存在します.";
  if (broken) {
    out += kTail;
    return out;
  }
  for (std::size_t pos = 0; pos < kTail.size();) {
    auto [c, len] = nextChar(kTail, pos);
    std::u16string_view ch = kTail.substr(pos, len);
    pos += len;
    if (broken) {
      out += ch;
    } else {
      firstLine(ch, c);
    }
  }
  return out;
}

namespace {

// How far (in display width) a break may move to reach a sensible place.
constexpr int kBreakReach = 12;

bool isHiragana(char16_t c) { return c >= 0x3041 && c <= 0x309F; }
bool isKatakana(char16_t c) { return c >= 0x30A1 && c <= 0x30FF; }
bool isHan(char16_t c) { return (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF); }
bool isAsciiWordChar(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// A line may begin after one of these.
bool endsAPart(char16_t c) {
  constexpr std::u16string_view kSeparators = u"/_- 　、。・）)]」』";
  return kSeparators.find(c) != std::u16string_view::npos;
}

// Whether a line may begin at text[i] inside a name or a phrase: after a
// separator, or where hiragana ends before a han, katakana or Latin word.
bool goodBreakBefore(std::u16string_view text, std::size_t i) {
  const char16_t before = text[i - 1];
  const char16_t at = text[i];
  if (endsAPart(before)) return !endsAPart(at);
  return isHiragana(before) && (isHan(at) || isKatakana(at) || isAsciiWordChar(at));
}

int displayWidth(std::u16string_view text) {
  int w = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    auto [c, len] = nextChar(text, pos);
    w += messageCharWidth(c);
    pos += len;
  }
  return w;
}

}  // namespace

std::u16string overwriteMessageLayout(std::u16string_view name) {
  std::u16string text = overwriteMessage(name);
  const std::size_t partBreak = text.find(u'\n');
  if (partBreak == std::u16string::npos) return text;
  text.erase(partBreak, 1);

  constexpr std::u16string_view kOpening = u"既に’";
  constexpr std::u16string_view kClosing = u"’ファイルが存在します.";
  const std::size_t closing = text.size() - kClosing.size();
  // The name as shown ends before the "..." that cuts a long one short.
  const std::size_t shownName = closing - kOpening.size();
  const bool cut = shownName >= 3 && text.compare(closing - 3, 3, u"...") == 0 &&
                   std::u16string_view(text).substr(kOpening.size(), shownName) != name;
  const std::size_t nameEnd = cut ? closing - 3 : closing;

  std::vector<std::size_t> places;
  for (std::size_t i = kOpening.size() + 1; i < nameEnd; ++i)
    if (goodBreakBefore(text, i)) places.push_back(i);
  places.push_back(closing + 1);  // between the quoted name and the phrase after it
  for (std::size_t i = closing + 2; i < text.size(); ++i)
    if (goodBreakBefore(text, i)) places.push_back(i);

  const int target = displayWidth(std::u16string_view(text).substr(0, partBreak));
  std::size_t best = partBreak;
  int bestDistance = kBreakReach + 1;
  for (std::size_t place : places) {
    const int distance = std::abs(displayWidth(std::u16string_view(text).substr(0, place)) - target);
    if (distance < bestDistance) {
      best = place;
      bestDistance = distance;
    }
  }
  text.insert(best, 1, u'\n');
  return text;
}

std::string sizeText(std::uint64_t bytes) {
  const double k = static_cast<double>(bytes) / 1024.0;
  char buf[64];
  if (k > 1024.0) {
    std::snprintf(buf, sizeof buf, "%.2fMB", k / 1024.0);
  } else {
    std::snprintf(buf, sizeof buf, "%.2fKB", k);
  }
  return buf;
}

std::string dateText(const std::tm& t) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "更新日時:%04d年%02d月%02d日、%02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

FileKind fileKind(std::u16string_view name) {
  const std::size_t dot = name.find(u'.');
  if (dot == std::u16string_view::npos) return FileKind::Text;
  const std::u16string ext = asciiLower(name.substr(dot));
  if (ext == u".bmp" || ext == u".jpg" || ext == u".jpeg" || ext == u".gif") return FileKind::Picture;
  if (ext == u".mp3" || ext == u".rmp") return FileKind::Sound;
  return FileKind::Text;
}

}  // namespace dm::ui
