#include "images/tagrule_image.h"

#include <fstream>

#include "images/dict_header.h"
#include "images/work_file.h"
#include "platform/failure.h"
#include "textio/byte_order.h"
#include "textio/hex.h"
#include "work/work_files.h"

namespace dm {

namespace {

bool nextLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace

std::uint32_t countTagDefines(std::istream& tagHeader) {
  std::string line;
  for (int i = 0; i < 4; ++i)
    if (!nextLine(tagHeader, line)) return 0;
  std::uint32_t count = 0;
  while (nextLine(tagHeader, line)) {
    if (line.rfind("#endif", 0) == 0) break;
    if (line.empty() || line[0] == ':' || line[0] == '/') continue;
    ++count;
  }
  return count;
}

std::string tagRuleBytes(std::string_view line) {
  std::size_t comment = line.find("//");
  if (comment != std::string_view::npos) line = line.substr(0, comment);
  std::string digits;
  for (char c : line) {
    if (c == ' ' || c == '\t') continue;
    int v = hexDigitValue(c);
    if (v >= 0 && digits.size() < 2 * kTagRuleRuleBytes) digits.push_back(static_cast<char>(v));
  }
  digits.resize(2 * kTagRuleRuleBytes, 0);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); i += 2) appendByte(out, static_cast<std::uint32_t>(digits[i] << 4 | digits[i + 1]));
  return out;
}

std::string tagRuleImageBytes(std::uint32_t tagCount, const std::vector<int>& libraryNumbers, std::istream* rules,
                              std::uint32_t* ruleLines) {
  std::string out;
  appendLE16(out, checked16(tagCount, workfiles::kTagRuleImage));
  appendZeros(out, kTagRuleHeaderBytes - 2);
  for (std::uint32_t i = 0; i < tagCount; ++i) {
    appendLE16(out, 0xFFFF);
    appendLE16(out, i < libraryNumbers.size() ? static_cast<std::uint32_t>(libraryNumbers[i]) & 0xFFFF : 0xFFFF);
  }
  std::uint32_t count = 0;
  if (rules) {
    std::string line;
    while (nextLine(*rules, line)) {
      if (line.empty() || line[0] == ':' || line[0] == '/') continue;
      out += tagRuleBytes(line);
      ++count;
    }
  }
  if (ruleLines) *ruleLines = count;
  return out;
}

void BuildTagRuleImage(const fs::path& dir, std::string_view tagHeaderName, bool withRules, ProgressSink& sink) {
  std::uint32_t tags = 0;
  if (std::ifstream header(dir / tagHeaderName, std::ios::binary); header) tags = countTagDefines(header);
  std::vector<int> numbers;
  if (std::ifstream dict(dir / workfiles::kDictHeader, std::ios::binary); dict) numbers = parseWdBaseNumbers(dict);

  const fs::path image = dir / workfiles::kTagRuleImage;
  std::ifstream rules;
  if (withRules) {
    rules.open(dir / workfiles::kTagRuleList, std::ios::binary);
    if (!rules) throw PassFailure("can't create file " + image.string());
  }
  std::ofstream out(image, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure("can't create file " + image.string());
  std::uint32_t ruleLines = 0;
  std::string bytes = tagRuleImageBytes(tags, numbers, withRules ? &rules : nullptr, &ruleLines);
  if (withRules && ruleLines != tags) sink.log("Tag Num is Error!");
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  requireWritten(out, image);
}

}  // namespace dm
