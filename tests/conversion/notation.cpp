#include "conversion/notation.h"

#include <cstdio>
#include <utility>

#include "textio/wide_line.h"

namespace dm::test {

namespace {

const std::pair<std::string_view, char16_t> kNames[] = {
    {"[I]", 0xE000},  {"[/I]", 0xE001}, {"[B]", 0xE002},  {"[/B]", 0xE003}, {"[L]", 0xE012},
    {"[/L]", 0xE013}, {"[U]", 0xE01A},  {"[/U]", 0xE01B}, {"[S]", 0xE01C},  {"[/S]", 0xE01D},
    {"[GB]", 0xE01E}, {"[/GB]", 0xE01F}, {"[J]", 0xE054}, {"[/J]", 0xE055}, {"[P]", 0xE05E},
    {"[/P]", 0xE05F}, {"[V]", 0xE062},  {"[/V]", 0xE063}, {"[TC]", 0xE066}, {"[/TC]", 0xE067},
};

int hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::u16string codes(std::string_view notation) {
  std::u16string out;
  std::string plain;
  auto flush = [&] {
    out += utf8ToUtf16(plain);
    plain.clear();
  };
  std::size_t i = 0;
  while (i < notation.size()) {
    if (notation[i] == '[') {
      bool matched = false;
      for (auto [name, code] : kNames) {
        if (notation.substr(i, name.size()) == name) {
          flush();
          out.push_back(code);
          i += name.size();
          matched = true;
          break;
        }
      }
      if (matched) continue;
      if (notation.substr(i, 3) == "[F:" && i + 8 <= notation.size() && notation[i + 7] == ']') {
        int v = 0;
        for (int k = 0; k < 4; ++k) v = v * 16 + hex(notation[i + 3 + k]);
        flush();
        out.push_back(0xE0FE);
        out.push_back(static_cast<char16_t>(v));
        out.push_back(0xE0FF);
        i += 8;
        continue;
      }
    }
    plain.push_back(notation[i++]);
  }
  flush();
  return out;
}

std::string show(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    bool named = false;
    for (auto [name, code] : kNames) {
      if (c == code) {
        out += name;
        named = true;
        break;
      }
    }
    if (named) continue;
    if (c == 0xE0FE && i + 2 < text.size() && text[i + 2] == 0xE0FF) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "[F:%04x]", static_cast<unsigned>(text[i + 1]));
      out += buf;
      i += 2;
      continue;
    }
    if (c == u'\r') {
      out += "\\r";
      continue;
    }
    if (c == u'\n') {
      out += "\\n";
      continue;
    }
    out += utf16ToUtf8(std::u16string_view(&text[i], 1));
  }
  return out;
}

std::string wideFile(const std::vector<std::string>& lines) {
  std::string bytes = "\xFF\xFE";
  for (const std::string& line : lines) {
    std::u16string w = codes(line) + u"\r\n";
    for (char16_t c : w) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
  }
  return bytes;
}

std::string wideFile(std::initializer_list<std::string_view> lines) {
  std::vector<std::string> v;
  for (std::string_view l : lines) v.emplace_back(l);
  return wideFile(v);
}

std::vector<std::string> wideLines(std::string_view bytes) {
  std::vector<std::string> out;
  std::size_t i = 0;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    out.push_back("<mark>");
    i = 2;
  }
  std::u16string line;
  for (; i + 1 < bytes.size(); i += 2) {
    char16_t c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                       (static_cast<unsigned char>(bytes[i + 1]) << 8));
    if (c == u'\n' && !line.empty() && line.back() == u'\r') {
      line.pop_back();
      out.push_back(show(line));
      line.clear();
    } else {
      line.push_back(c);
    }
  }
  if (!line.empty()) out.push_back(show(line) + "<no CR LF>");
  return out;
}

}  // namespace dm::test
