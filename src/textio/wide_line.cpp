#include "textio/wide_line.h"

#include <bit>

namespace dm {

bool readWideLine(std::istream& in, std::u16string& line, std::size_t maxUnits) {
  line.clear();
  if (maxUnits < 2) return false;
  std::streambuf* sb = in.rdbuf();
  const std::size_t limit = maxUnits - 1;
  while (line.size() < limit) {
    int lo = sb->sbumpc();
    if (lo == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      break;
    }
    int hi = sb->sbumpc();
    if (hi == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      break;
    }
    char16_t unit = static_cast<char16_t>((lo & 0xFF) | ((hi & 0xFF) << 8));
    line.push_back(unit);
    if (unit == u'\n') break;
  }
  return !line.empty();
}

void writeWideLine(std::ostream& out, std::u16string_view text) {
  if constexpr (std::endian::native == std::endian::little) {
    out.write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(2 * text.size()));
    return;
  }
  std::string bytes;
  bytes.resize(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void writeByteOrderMark(std::ostream& out) { out.write("\xFF\xFE", 2); }

std::size_t copyByteOrderMark(std::istream& in, std::ostream& out) {
  char mark[2];
  in.read(mark, 2);
  std::size_t n = static_cast<std::size_t>(in.gcount());
  out.write(mark, static_cast<std::streamsize>(n));
  return n;
}

std::u16string_view chompWide(std::u16string_view line) {
  if (!line.empty() && line.back() == u'\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
  return line;
}

namespace {

// The length of the well-formed UTF-8 sequence at `i` (1 to 4) with its code
// point in `cp`, or 0 when the bytes there are not one: a stray continuation
// byte, a truncated sequence, an overlong form, a surrogate or a code point
// beyond U+10FFFF.
std::size_t utf8SequenceAt(std::string_view text, std::size_t i, char32_t& cp) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) {
    cp = c;
    return 1;
  }
  std::size_t len = (c >= 0xF0 && c <= 0xF4) ? 4 : (c >= 0xE0) && c < 0xF0 ? 3 : (c >= 0xC2 && c < 0xE0) ? 2 : 0;
  if (len == 0 || i + len > text.size()) return 0;
  cp = c & (0xFF >> (len + 1));
  for (std::size_t k = 1; k < len; ++k) {
    unsigned char cc = static_cast<unsigned char>(text[i + k]);
    if ((cc & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (cc & 0x3F);
  }
  if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000))) ||
      (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
    return 0;
  return len;
}

}  // namespace

bool isValidUtf8(std::string_view text) {
  std::size_t i = 0;
  char32_t cp = 0;
  while (i < text.size()) {
    const std::size_t len = utf8SequenceAt(text, i, cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  char32_t cp = 0;
  while (i < text.size()) {
    const std::size_t len = utf8SequenceAt(text, i, cp);
    if (len == 0) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

}  // namespace dm
