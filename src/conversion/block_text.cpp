#include "conversion/block_text.h"

#include "textio/hex.h"

namespace dm::blocktext {

std::u16string hexText(std::uint64_t value, std::size_t width) {
  const std::string digits = dm::hexText(value, static_cast<int>(width));
  return std::u16string(digits.begin(), digits.end());
}

std::u16string formatJumpAddress(JumpAddress address) {
  return hexText(address.entry, kJumpEntryDigits) + hexText(address.line, kJumpLineDigits);
}

bool parseJumpAddress(std::u16string_view text, JumpAddress& address) {
  if (text.size() != kJumpAddressDigits) return false;
  std::uint64_t v = 0;
  for (char16_t c : text) {
    const int d = hexDigitValue(c);
    if (d < 0) return false;
    v = (v << 4) | static_cast<std::uint64_t>(d);
  }
  address.entry = static_cast<std::uint32_t>(v >> (4 * kJumpLineDigits));
  address.line = static_cast<std::uint32_t>(v & 0xFFFF);
  return true;
}

std::u16string_view withoutLineEnd(std::u16string_view line) {
  if (!line.empty() && line.back() == u'\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
  return line;
}

std::u16string_view tagOf(std::u16string_view line) {
  line = withoutLineEnd(line);
  return line.substr(0, line.find(kTab));
}

std::u16string_view valueOf(std::u16string_view line) {
  line = withoutLineEnd(line);
  std::size_t tab = line.find(kTab);
  return tab == std::u16string_view::npos ? std::u16string_view{} : line.substr(tab + 1);
}

std::u16string fieldLine(std::u16string_view tag, std::u16string_view value) {
  std::u16string out;
  out.reserve(tag.size() + value.size() + 3);
  out.append(tag);
  out.push_back(kTab);
  out.append(value);
  out.append(kLineEnd);
  return out;
}

std::u16string fontEscape(char16_t code) { return {kFontEscapeBegin, code, kFontEscapeEnd}; }

std::u16string choiceLabel(int k) {
  return fontEscape(k >= 1 && k <= 9 ? static_cast<char16_t>(kFontChoiceTen + k) : kFontChoiceTen);
}

std::u16string soundCode(std::u16string_view id) {
  std::u16string out;
  out.push_back(kSoundBegin);
  out.append(id);
  out.append(fontEscape(kFontSoundMark));
  out.push_back(kSoundEnd);
  return out;
}

}  // namespace dm::blocktext
