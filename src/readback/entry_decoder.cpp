#include "readback/entry_decoder.h"

#include <cstdio>
#include <map>
#include <optional>

#include "readback/byte_reader.h"
#include "readback/nibbles.h"
#include "textio/wide_line.h"
#include "textio/format.h"

namespace dm::readback {

namespace {

constexpr int kBlockWords = 20;  // words per front-coding block
constexpr std::size_t kMaxWordUnits = 4096;

struct Library {
  NibbleCode words;
  NibbleCode chars;
  std::string_view dat;  // nibble stream of the word list
  std::string_view cod;  // two bytes per character, high byte first
  std::string_view sdx;  // three bytes per block, high byte first
  std::map<std::uint32_t, std::u16string> cache;

  std::optional<std::u16string> word(std::uint32_t n) {
    if (auto it = cache.find(n); it != cache.end()) return it->second;
    const std::size_t block = n / kBlockWords;
    if (3 * block + 3 > sdx.size()) return std::nullopt;
    const std::size_t start = (static_cast<std::uint8_t>(sdx[3 * block]) << 16) |
                              (static_cast<std::uint8_t>(sdx[3 * block + 1]) << 8) |
                              static_cast<std::uint8_t>(sdx[3 * block + 2]);
    Nibbles in(dat, start);
    std::u16string previous, current;
    for (std::uint32_t w = static_cast<std::uint32_t>(block * kBlockWords); w <= n; ++w) {
      const int prefix = in.next();
      if (prefix < 0 || static_cast<std::size_t>(prefix) > previous.size()) return std::nullopt;
      current = previous.substr(0, static_cast<std::size_t>(prefix));
      while (in.peek() != 0xF) {
        std::optional<std::uint32_t> c = chars.read(in);
        if (!c || 2 * static_cast<std::size_t>(*c) + 2 > cod.size() || current.size() > kMaxWordUnits)
          return std::nullopt;
        current.push_back(static_cast<char16_t>((static_cast<std::uint8_t>(cod[2 * *c]) << 8) |
                                                static_cast<std::uint8_t>(cod[2 * *c + 1])));
      }
      in.next();  // the f that ends the word
      previous = current;
    }
    cache.emplace(n, current);
    return current;
  }
};

// Reads the four code tables whose descriptors stand at `base` (offsets
// counted from the start of the image) into `libs`, one per row.
bool readCodeTables(const Bytes& b, std::size_t base, std::vector<Library>& libs, std::string& error) {
  if (!b.has(base, 64)) {
    error = "the code table descriptors are missing";
    return false;
  }
  const std::size_t rows = b.u16(base + 8);
  libs.assign(rows, Library{});
  for (int t = 0; t < 4; ++t) {
    const std::size_t d = base + 16 * t;
    const std::size_t off = b.u32(d), per = b.u8(d + 11), elem = b.u8(d + 10);
    if (b.u16(d + 8) != rows || !b.has(off, rows * per * elem) || (elem != 1 && elem != 4)) {
      error = "the code tables are malformed";
      return false;
    }
    for (std::size_t r = 0; r < rows; ++r) {
      for (std::size_t i = 0; i < per; ++i) {
        const std::size_t at = off + (r * per + i) * elem;
        const std::uint32_t v = elem == 1 ? b.u8(at) : b.u32(at);
        NibbleCode& code = t < 2 ? libs[r].words : libs[r].chars;
        if (t % 2 == 0) {
          code.cumulative.push_back(static_cast<std::uint8_t>(v));
        } else {
          code.offsets.push_back(v);
        }
      }
    }
  }
  for (const Library& lib : libs) {
    if (lib.words.cumulative.size() != lib.words.offsets.size() ||
        lib.chars.cumulative.size() != lib.chars.offsets.size()) {
      error = "the code tables disagree";
      return false;
    }
  }
  return true;
}

// The end of the four tables whose descriptors stand at `base`.
std::size_t tablesEnd(const Bytes& b, std::size_t base) { return b.u32(base + 48) + b.u32(base + 52); }

std::vector<Library> readLibraries(std::string_view image, std::string& error) {
  Bytes b(image);
  std::vector<Library> libs;
  if (b.size() < 66 || !readCodeTables(b, 0, libs, error)) {
    if (error.empty()) error = "WordLib.bin is too small";
    error = "WordLib.bin: " + error;
    libs.clear();
    return libs;
  }
  const std::size_t dir = tablesEnd(b, 0) + 2;
  if (!b.has(dir, 32 * libs.size())) {
    error = "WordLib.bin library directory is missing";
    libs.clear();
    return libs;
  }
  for (std::size_t r = 0; r < libs.size(); ++r) {
    const std::size_t e = dir + 32 * r;
    libs[r].dat = b.slice(b.u32(e + 8), b.u32(e + 12));
    libs[r].cod = b.slice(b.u32(e + 16), b.u32(e + 20));
    libs[r].sdx = b.slice(b.u32(e + 24), b.u32(e + 28));
  }
  return libs;
}

// Tag code: the digit e repeated k times, then a digit d below 14: 14k + d.
// The digit F alone is the separator (nullopt).
std::optional<std::uint32_t> readTagCode(Nibbles& in, bool& bad) {
  std::uint32_t k = 0;
  for (;;) {
    const int v = in.next();
    if (v < 0) {
      bad = true;
      return std::nullopt;
    }
    if (v == 0xE) {
      ++k;
      continue;
    }
    if (v == 0xF) {
      bad = k != 0;
      return std::nullopt;
    }
    return 14 * k + static_cast<std::uint32_t>(v);
  }
}


// Decodes the packed text `text` entry by entry. In the drill body every
// entry ends with a separator line; in the menu every caption is an entry
// and only the last one is followed by the separator.
void decodePacked(std::string_view text, std::vector<Library>& libs, const Bytes& tagRule, bool menu,
                  DecodedBody& body) {
  const std::uint32_t tags = tagRule.u16(0);
  Nibbles in(text);
  while (!in.atEnd() && !in.restIsPadding()) {
    DecodedEntry entry;
    std::vector<std::uint32_t> ordinals;
    bool bad = false;
    while (std::optional<std::uint32_t> t = readTagCode(in, bad)) ordinals.push_back(*t);
    if (bad) {
      body.error = "a tag code is malformed at nibble " + std::to_string(in.pos());
      return;
    }
    if (in.pos() % 2) in.next();  // the entry's text starts on a byte boundary
    for (std::uint32_t ordinal : ordinals) {
      if (ordinal >= tags || !tagRule.has(16 + 4 * ordinal, 4)) {
        body.error = "tag " + std::to_string(ordinal) + " has no tag record";
        return;
      }
      const std::uint16_t libNumber = tagRule.u16(16 + 4 * ordinal + 2);
      if (libNumber == 0 || libNumber > libs.size()) {
        body.error = "tag " + std::to_string(ordinal) + " names no word library";
        return;
      }
      Library& lib = libs[libNumber - 1];
      DecodedLine line{ordinal, {}};
      while (in.peek() != 0xF) {
        std::optional<std::uint32_t> w = lib.words.read(in);
        std::optional<std::u16string> word = w ? lib.word(*w) : std::nullopt;
        if (!word) {
          body.error = "a word code does not decode at nibble " + std::to_string(in.pos());
          return;
        }
        line.text += *word;
      }
      in.next();
      entry.lines.push_back(std::move(line));
    }
    if (menu) {
      if (in.peek() == 0xF) in.next();  // the final separator
    } else if (in.next() != 0xF) {
      body.error = "an entry does not end with its separator";
      return;
    }
    body.entries.push_back(std::move(entry));
  }
}

}  // namespace

DecodedBody decodeBody(std::string_view dicImage, std::string_view wordLibImage, std::string_view tagRuleImage) {
  DecodedBody body;
  Bytes dic(dicImage), tagRule(tagRuleImage);
  if (dic.size() < 88 || tagRule.size() < 16) {
    body.error = "Dic.bin or TagRule.bin is too small";
    return body;
  }
  std::vector<Library> libs = readLibraries(wordLibImage, body.error);
  if (!body.error.empty()) return body;
  decodePacked(dic.slice(dic.u32(0), dic.u32(4)), libs, tagRule, false, body);
  return body;
}

DecodedMenu decodeMenu(std::string_view menuImage) {
  DecodedMenu menu;
  Bytes b(menuImage);
  if (b.size() < 16) {
    menu.error = "Menu.bin is too small";
    return menu;
  }
  // The menu's own tag rules, then its code tables, parameters, library
  // line counts, component directory and library data directory.
  const std::size_t tagRuleSize = 16 + 4 * static_cast<std::size_t>(b.u16(0));
  std::vector<Library> libs;
  if (!readCodeTables(b, tagRuleSize, libs, menu.error)) {
    menu.error = "Menu.bin: " + menu.error;
    return menu;
  }
  const std::size_t components = tablesEnd(b, tagRuleSize) + 88 + 8 * libs.size();
  const std::size_t libraryDir = components + 30 * 8;
  if (!b.has(libraryDir, 24 * libs.size())) {
    menu.error = "Menu.bin directories are missing";
    return menu;
  }
  for (std::size_t r = 0; r < libs.size(); ++r) {
    const std::size_t e = libraryDir + 24 * r;
    libs[r].dat = b.slice(b.u32(e), b.u32(e + 4));
    libs[r].cod = b.slice(b.u32(e + 8), b.u32(e + 12));
    libs[r].sdx = b.slice(b.u32(e + 16), b.u32(e + 20));
  }
  DecodedBody captions;
  decodePacked(b.slice(b.u32(components), b.u32(components + 4)), libs, Bytes(menuImage.substr(0, tagRuleSize)),
               true, captions);
  if (!captions.error.empty()) {
    menu.error = "menu captions: " + captions.error;
    return menu;
  }
  // The menu index: level, type, number and first child in 1, 1, 8 and 8
  // hex digits, nine bytes a line.
  const std::string_view index = b.slice(b.u32(components + 32), b.u32(components + 36));
  if (index.size() % 9 != 0 || index.size() / 9 != captions.entries.size()) {
    menu.error = "the menu index and the captions disagree";
    return menu;
  }
  Nibbles nib(index);
  for (std::size_t i = 0; i < index.size() / 9; ++i) {
    MenuItem item;
    auto field = [&](int digits) {
      std::uint32_t v = 0;
      for (int k = 0; k < digits; ++k) v = v * 16 + static_cast<std::uint32_t>(nib.next());
      return v;
    };
    item.level = field(1);
    item.type = field(1);
    item.number = field(8);
    item.firstChild = field(8);
    for (const DecodedLine& line : captions.entries[i].lines) item.caption += line.text;
    menu.items.push_back(std::move(item));
  }
  return menu;
}

std::vector<std::u16string> categoryPath(const DecodedMenu& menu, std::uint32_t entry) {
  std::vector<std::u16string> path;
  std::size_t at = menu.items.size();
  for (std::size_t i = 1; i < menu.items.size(); ++i)
    if (menu.items[i].type == 0 && menu.items[i].number == entry) at = i;
  // Climb: the parent is the category whose children span this position.
  for (int guard = 0; at < menu.items.size() && at > 0 && guard < 8; ++guard) {
    std::size_t parent = 0;
    for (std::size_t q = 1; q < menu.items.size(); ++q) {
      const MenuItem& c = menu.items[q];
      if ((c.type == 1 || c.type == 3) && c.firstChild <= at && at - c.firstChild < c.number) parent = q;
    }
    if (parent == 0) break;
    path.insert(path.begin(), menu.items[parent].caption);
    at = parent;
  }
  return path;
}

std::string readableText(std::u16string_view text) {
  auto hex4 = [](std::u16string_view s) {
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
  };
  static const std::map<char16_t, const char*> kCodes = {
      {0xE000, "«I»"},  {0xE001, "«/I»"},  {0xE002, "«B»"},  {0xE003, "«/B»"},  {0xE012, "«L»"},
      {0xE013, "«/L»"}, {0xE01A, "«U»"},   {0xE01B, "«/U»"}, {0xE01C, "«S»"},   {0xE01D, "«/S»"},
      {0xE01E, "«GB»"}, {0xE01F, "«/GB»"}, {0xE054, "«→"},   {0xE055, "»"},     {0xE067, "«/colour»"}};
  std::u16string out16;
  std::string out;
  auto flush = [&] {
    out += utf16ToUtf8(out16);
    out16.clear();
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == 0xE05E || c == 0xE062) {  // picture or sound id
      const char16_t close = c == 0xE05E ? 0xE05F : 0xE063;
      std::size_t end = text.find(close, i + 1);
      if (end != std::u16string_view::npos) {
        std::u16string_view id = text.substr(i + 1, end - i - 1);
        if (c == 0xE062 && id.size() >= 8) id = id.substr(0, 8);
        flush();
        out += (c == 0xE05E ? "[picture " : "[sound ") + hex4(id) + "]";
        i = end;
        continue;
      }
    }
    if (c == 0xE0FE && i + 2 < text.size() && text[i + 2] == 0xE0FF) {  // one glyph of the device font
      const char16_t glyph = text[i + 1];
      flush();
      if (glyph >= 0xF820 && glyph <= 0xF829) {
        out += "(" + std::to_string(glyph == 0xF820 ? 10 : glyph - 0xF820) + ")";
      } else {
        out += formatted("[glyph %04X]", static_cast<unsigned>(glyph));
      }
      i += 2;
      continue;
    }
    if (c == 0xE066) {
      flush();
      out += "«colour ";
      continue;
    }
    if (auto it = kCodes.find(c); it != kCodes.end()) {
      flush();
      out += it->second;
      continue;
    }
    out16.push_back(c);
  }
  flush();
  return out;
}

}  // namespace dm::readback
