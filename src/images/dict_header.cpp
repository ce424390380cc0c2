#include "images/dict_header.h"

#include <fstream>
#include <string_view>

#include "textio/hex.h"
#include "work/work_files.h"

namespace dm {

namespace {

constexpr std::uint32_t kMaxColumns = 255;  // stored in one byte

bool nextLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

int digitValue(char c, int base) {
  const int v = hexDigitValue(c);
  return v < base ? v : -1;
}

// A C integer literal ("0x7cbL", "20"); suffixes are ignored, values wrap
// to 32 bits.
std::uint32_t parseLiteral(std::string_view s) {
  s = trim(s);
  int base = 10;
  if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  std::uint32_t v = 0;
  for (char c : s) {
    int d = digitValue(c, base);
    if (d < 0) break;
    v = v * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(d);
  }
  return v;
}

// The number in the second pair of brackets after `name`, as in "[][6]".
std::uint32_t secondDimension(std::string_view line, std::size_t nameEnd) {
  std::size_t close1 = line.find(']', nameEnd);
  if (close1 == std::string_view::npos) return 0;
  std::size_t open2 = line.find('[', close1);
  if (open2 == std::string_view::npos) return 0;
  std::size_t close2 = line.find(']', open2);
  if (close2 == std::string_view::npos) return 0;
  std::uint32_t v = parseLiteral(line.substr(open2 + 1, close2 - open2 - 1));
  return v > kMaxColumns ? kMaxColumns : v;
}

std::vector<std::uint32_t> rowValues(std::string_view inner) {
  std::vector<std::uint32_t> values;
  while (true) {
    std::size_t comma = inner.find(',');
    std::string_view item = trim(inner.substr(0, comma));
    if (!item.empty()) values.push_back(parseLiteral(item));
    if (comma == std::string_view::npos) break;
    inner.remove_prefix(comma + 1);
  }
  return values;
}

std::string libraryOfComment(std::string_view line, std::size_t after) {
  std::size_t slashes = line.find("//", after);
  if (slashes == std::string_view::npos) return {};
  std::string_view name = line.substr(slashes + 2);
  return std::string(trim(name.substr(0, name.find('.'))));
}

// Index of the table declared on `line`, or -1.
int declaredTable(std::string_view line, std::size_t& nameEnd) {
  for (int t = 0; t < kDictTableCount; ++t) {
    std::string key = std::string(kDictTableNames[t]) + "[";
    std::size_t at = line.find(key);
    if (at != std::string_view::npos) {
      nameEnd = at + key.size() - 1;
      return t;
    }
  }
  return -1;
}

}  // namespace

std::string libraryFile(std::string_view library, std::string_view ext) {
  constexpr std::string_view kLabel = "WDL_";
  if (library.substr(0, kLabel.size()) == kLabel) return workfiles::wordLibFile(library.substr(kLabel.size()), ext);
  return std::string(library) + std::string(ext);
}

DictHeader parseDictHeader(std::istream& in) {
  DictHeader h;
  std::string line;
  bool blockSeen = false;
  int table = -1;
  while (nextLine(in, line)) {
    std::string_view v = line;
    if (table < 0) {
      std::size_t at = v.find("WORDLIB_BLOCKRECORD");
      if (!blockSeen && at != std::string_view::npos && v.find("#define") != std::string_view::npos) {
        h.blockRecord = parseLiteral(v.substr(at + 19));
        blockSeen = true;
        continue;
      }
      std::size_t nameEnd = 0;
      table = declaredTable(v, nameEnd);
      if (table >= 0) {
        h.tables[table].columns = secondDimension(v, nameEnd);
        h.tables[table].rows.clear();
        if (table == 0) h.libraries.clear();
      }
      continue;
    }
    if (v.find("};") != std::string_view::npos) {
      table = -1;
      continue;
    }
    std::size_t open = v.find('{');
    if (open == std::string_view::npos) continue;
    std::size_t close = v.find('}', open);
    if (close == std::string_view::npos) continue;
    h.tables[table].rows.push_back(rowValues(v.substr(open + 1, close - open - 1)));
    if (table == 0) h.libraries.push_back(libraryOfComment(v, close));
  }
  return h;
}

std::optional<DictHeader> readDictHeader(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return parseDictHeader(in);
}

std::vector<int> parseWdBaseNumbers(std::istream& in) {
  std::vector<int> numbers;
  std::string line;
  bool found = false;
  while (nextLine(in, line)) {
    if (line.find("WdBaseNo[]") != std::string::npos) {
      found = true;
      break;
    }
  }
  if (!found || !nextLine(in, line)) return numbers;
  while (nextLine(in, line)) {
    if (line.find('}') != std::string::npos) break;
    std::string packed;
    for (char c : line)
      if (c != ' ' && c != ',') packed.push_back(c);
    std::size_t i = 0;
    bool negative = false;
    if (i < packed.size() && (packed[i] == '-' || packed[i] == '+')) negative = packed[i++] == '-';
    long value = 0;
    for (; i < packed.size() && packed[i] >= '0' && packed[i] <= '9'; ++i) {
      value = value * 10 + (packed[i] - '0');
      if (value > 0xFFFF) value = 0xFFFF;
    }
    numbers.push_back(static_cast<int>(negative ? -value : value));
  }
  return numbers;
}

}  // namespace dm
