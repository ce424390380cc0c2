#include "conversion/jump_pass.h"

#include <map>
#include <string>
#include <utility>

#include "conversion/block_text.h"
#include "textio/background_output.h"
#include "textio/pass_io.h"
#include "platform/failure.h"
#include "textio/hex.h"
#include "textio/wide_line.h"

namespace dm {

namespace bt = blocktext;

namespace {

// Leading hex digits of `text` (saturating); 0 when there are none.
std::uint64_t readHex(std::u16string_view text) {
  std::uint64_t v = 0;
  for (char16_t c : text) {
    const int d = hexDigitValue(c);
    if (d < 0) break;
    if (v > (UINT64_MAX >> 4)) return UINT64_MAX;
    v = (v << 4) | static_cast<std::uint64_t>(d);
  }
  return v;
}

bool isJumpLine(std::u16string_view line) {
  if (bt::hasTag(line, bt::kTagJump)) return true;
  static const std::u16string split = std::u16string(bt::kTagJump) + std::u16string(bt::kSplitSuffix);
  return bt::hasTag(line, split);
}

using AnswerKey = std::pair<std::uint64_t, std::uint32_t>;  // (answer number, entry)

}  // namespace

void jumpPass(std::istream& in, std::ostream& out) {
  const std::streampos start = in.tellg();
  copyByteOrderMark(in, out);
  const std::streampos firstLine = in.tellg();

  // First reading: where is the ID line of each entry?
  std::map<AnswerKey, std::uint32_t> answerLines;
  std::u16string line;
  std::uint32_t entry = 0;
  std::uint32_t position = 0;
  {
    WideLineReader reader(in);
    while (reader.read(line)) {
      if (bt::startsWith(line, bt::kStartWord)) position = 0;
      if (bt::startsWith(line, bt::kEndWord)) ++entry;
      if (bt::hasTag(line, bt::kTagId)) answerLines[{readHex(bt::valueOf(line)), entry}] = position + 1;
      ++position;
    }
  }

  in.clear();
  in.seekg(firstLine == std::streampos(-1) ? start : firstLine);
  if (!in) throw PassFailure("can't rewind the jump pass input");

  entry = 0;
  std::u16string resolved;
  WideLineReader reader(in);
  WideLineWriter writer(out);
  while (reader.read(line)) {
    if (bt::startsWith(line, bt::kEndWord)) {
      ++entry;
    } else if (bt::hasTag(line, bt::kTagId)) {
      continue;
    } else if (isJumpLine(line)) {
      std::u16string_view body = bt::withoutLineEnd(line);
      std::size_t mark = body.find(bt::kJumpLabelEnd);
      if (mark != std::u16string_view::npos) {
        auto found = answerLines.find({readHex(body.substr(mark + 1)), entry});
        if (found == answerLines.end()) continue;
        resolved.assign(body.substr(0, mark + 1));
        resolved += bt::formatJumpAddress({entry, found->second});
        resolved.append(bt::kLineEnd);
        writer.write(resolved);
        continue;
      }
    }
    writer.write(line);
  }
}

void jumpPass(const std::filesystem::path& inPath, const std::filesystem::path& outPath) {
  std::ifstream in = openPassInput(inPath);
  BackgroundOutput out(outPath);
  jumpPass(in, out);
  out.close();
}

}  // namespace dm
