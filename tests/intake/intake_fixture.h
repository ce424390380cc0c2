// Helpers of the intake tests: wide texts, UTF-16 byte streams, and a check
// context whose listed media and file probes the test controls.
#pragma once

#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "intake/check_context.h"
#include "intake/intake_state.h"
#include "textio/wide_line.h"

namespace dm::test {

// UTF-16LE bytes of a wide text (no mark).
inline std::string bytesOf(std::u16string_view text) {
  std::ostringstream out;
  writeWideLine(out, text);
  return out.str();
}

// The wide text of UTF-16LE bytes (an odd last byte dropped).
inline std::u16string wideOf(std::string_view bytes) {
  std::u16string out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                        static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return out;
}

// Splits a wide text after every LF.
inline std::vector<std::u16string> linesOf(std::u16string_view text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lf = text.find(u'\n', start);
    std::size_t end = lf == std::u16string_view::npos ? text.size() : lf + 1;
    lines.emplace_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// Joins fields with TAB and ends the line with CR LF.
inline std::u16string record(const std::vector<std::u16string>& fields) {
  std::u16string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) line += u'\t';
    line += fields[i];
  }
  return line + u"\r\n";
}

// A check context over fake media: listed names map to "/media/<name>", and
// the probes answer from the tables (pictures: result and info; sounds:
// result), defaulting to a usable single-frame picture and a usable sound.
struct FakeMedia {
  MediaList list;
  std::map<std::string, std::pair<int, PictureInfo>> pictures;  // by path
  std::map<std::string, int> sounds;                              // by path
  std::vector<std::string> probed;                                // paths, in call order

  void add(const std::string& name) { list[lowerCaseUtf8(name)] = "/media/" + name; }
  void addPicture(const std::string& name, int result, int kind = 3, int height = 100) {
    add(name);
    PictureInfo info;
    info.kind = kind;
    info.width = 100;
    info.height = height;
    pictures["/media/" + name] = {result, info};
  }
  void addSound(const std::string& name, int result) {
    add(name);
    sounds["/media/" + name] = result;
  }

  CheckContext context() {
    CheckContext c;
    c.mediaList = &list;
    c.sourceName = u"drill.txt";
    c.probePicture = [this](const std::filesystem::path& p, PictureInfo& info) {
      probed.push_back(p.string());
      auto it = pictures.find(p.string());
      if (it == pictures.end()) {
        info.kind = 3;
        info.height = 100;
        return 1;
      }
      info = it->second.second;
      return it->second.first;
    };
    c.probeSound = [this](const std::filesystem::path& p) {
      probed.push_back(p.string());
      auto it = sounds.find(p.string());
      return it == sounds.end() ? 0 : it->second;
    };
    return c;
  }
};

// (code, type) pairs of the error list, in list order.
inline std::vector<std::pair<int, int>> codesOf(const IntakeState& state) {
  std::vector<std::pair<int, int>> out;
  for (const ErrorEntry& e : state.errors) out.emplace_back(e.code, e.type);
  return out;
}

// The codes of the error list, in list order.
inline std::vector<int> plainCodes(const IntakeState& state) {
  std::vector<int> out;
  for (const ErrorEntry& e : state.errors) out.push_back(e.code);
  return out;
}

}  // namespace dm::test
