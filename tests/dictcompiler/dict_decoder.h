// Reads a compiled dictionary back the way the device does: the tag codes and
// libraries from dict.h, the word lists from wdl_<lib>.dat/.cod, and the
// packed text as a nibble stream. Used to check that compiling and decoding
// give back the source lines.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dictcompiler/assign_codes.h"
#include "support/temp_dir.h"
#include "textio/wide_line.h"

namespace dm::test {

struct DecodedLine {
  std::string tag;
  std::string text;  // UTF-8
  bool operator==(const DecodedLine&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const DecodedLine& l) { return os << l.tag << "\t" << l.text; }

class DictDecoder {
 public:
  DictDecoder(const fs::path& outDir, const std::string& dictName) {
    parseHeader(readFile(outDir / "dict.h"));
    for (auto& [name, lib] : libs_) loadLibrary(outDir, name, lib);
    packed_ = readFile(outDir / (dictName + ".dic"));
  }

  std::vector<DecodedLine> decode() {
    std::string s;
    for (char c : packed_)
      if (c != ' ' && c != '\n') s += c;
    std::vector<DecodedLine> out;
    std::size_t pos = 0;
    while (pos < s.size()) {
      std::vector<std::string> tags;
      while (pos < s.size() && s[pos] != 'F') {
        std::string code;
        while (s[pos] == 'e') code += s[pos++];
        code += s[pos++];
        tags.push_back(code);
      }
      ++pos;  // the first F ends the tag codes
      if (pos % 2 == 1) {  // the text starts on a byte boundary after F padding
        EXPECT_EQ(s[pos], 'F') << "no padding at " << pos;
        ++pos;
      }
      for (const std::string& code : tags) {
        auto it = tagOf_.find(code);
        if (it == tagOf_.end()) {
          ADD_FAILURE() << "unknown tag code " << code;
          return out;
        }
        const Library& lib = libs_.at(it->second.second);
        std::u16string text;
        while (pos < s.size() && s[pos] != 'F') text += readCode(s, pos, lib.wordDist, lib.words);
        ++pos;  // end of the line
        out.push_back({it->second.first, utf16ToUtf8(text)});
      }
      if (pos < s.size() && s[pos] == 'F') ++pos;  // separator line
    }
    return out;
  }

 private:
  struct Library {
    CodeLengthDist wordDist{};
    CodeLengthDist charDist{};
    std::vector<std::u16string> chars;
    std::vector<std::u16string> words;
  };

  static CodeLengthDist distOf(const std::string& row) {
    CodeLengthDist d{};
    unsigned before = 0;
    std::size_t at = 0;
    for (int k = 0; k < 8 && (at = row.find("0x", at)) != std::string::npos; ++k) {
      const unsigned cum = static_cast<unsigned>(std::stoul(row.substr(at + 2, 2), nullptr, 16));
      d[k] = static_cast<std::uint8_t>(cum - before);
      before = cum;
      at += 2;
    }
    return d;
  }

  void parseHeader(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    int section = 0;
    std::vector<std::string> libOrder;
    while (std::getline(in, line)) {
      if (line.find("WdBaseNo[]") != std::string::npos) section = 1;
      else if (line.find("DICT_WDNO") != std::string::npos) section = 2;
      else if (line.find("DICT_DSP[]") != std::string::npos) section = 3;
      else if (line.find("};") == 0) section = 0;
      else if (section == 1 && line.find("//") != std::string::npos) {
        // "  n,\t//tag\tWDL_lib.dat\tcode"
        std::istringstream f(line.substr(line.find("//") + 2));
        std::string tag, file, code;
        std::getline(f, tag, '\t');
        std::getline(f, file, '\t');
        std::getline(f, code, '\t');
        tagOf_[code] = {tag, file.substr(4, file.find('.') - 4)};
      } else if (section == 2 && line.find("//WDL_") != std::string::npos) {
        const std::string name = line.substr(line.find("//WDL_") + 6, line.find(".DAT") - line.find("//WDL_") - 6);
        libs_[name].wordDist = distOf(line.substr(0, line.find("//")));
        libOrder.push_back(name);
      } else if (section == 3 && line.find("//WDL_") != std::string::npos) {
        const std::string name = line.substr(line.find("//WDL_") + 6, line.find(".cod") - line.find("//WDL_") - 6);
        libs_[name].charDist = distOf(line.substr(0, line.find("//")));
      }
    }
  }

  void loadLibrary(const fs::path& dir, const std::string& name, Library& lib) {
    std::istringstream cod(readFile(dir / ("wdl_" + name + ".cod")));
    std::string line;
    while (std::getline(cod, line)) lib.chars.push_back(std::u16string(1, static_cast<char16_t>(std::stoul(line, nullptr, 16))));
    std::istringstream dat(readFile(dir / ("wdl_" + name + ".dat")));
    std::u16string previous;
    while (std::getline(dat, line)) {
      std::istringstream items(line);
      std::string item;
      items >> item;
      const std::size_t prefix = std::stoul(item, nullptr, 16);
      std::u16string word = previous.substr(0, prefix);
      while (items >> item && item != "f") {
        std::size_t at = 0;
        word += readCode(item, at, lib.charDist, lib.chars);
      }
      lib.words.push_back(word);
      previous = word;
    }
  }

  // Reads one code at `pos` of a nibble string and returns its item.
  static std::u16string readCode(const std::string& s, std::size_t& pos, const CodeLengthDist& dist,
                                 const std::vector<std::u16string>& items) {
    const unsigned first = static_cast<unsigned>(std::stoul(s.substr(pos, 1), nullptr, 16));
    unsigned cum = 0;
    int k = 0;
    while (k < 8 && first >= cum + dist[k]) cum += dist[k++];
    if (k >= 8 || pos + k + 1 > s.size()) {
      ADD_FAILURE() << "bad code at " << pos;
      pos = s.size();
      return {};
    }
    const std::uint32_t value = static_cast<std::uint32_t>(std::stoul(s.substr(pos, k + 1), nullptr, 16));
    pos += k + 1;
    const std::uint32_t index = value - codeOffset(dist, k);
    if (index >= items.size()) {
      ADD_FAILURE() << "code out of range";
      return {};
    }
    return items[index];
  }

  std::map<std::string, std::pair<std::string, std::string>> tagOf_;  // code -> tag, library
  std::map<std::string, Library> libs_;
  std::string packed_;
};

}  // namespace dm::test
