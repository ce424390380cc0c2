#include "conversion/field_pass.h"

#include <algorithm>

#include "conversion/block_text.h"
#include "textio/markup_tags.h"
#include "textio/background_output.h"
#include "textio/pass_io.h"
#include "textio/unit_search.h"
#include "textio/wide_line.h"

namespace dm {

namespace bt = blocktext;

namespace {

using markup::kBreak;
using markup::kPictureClose;
using markup::kPictureOpen;
using markup::kSoundClose;
using markup::kSoundOpen;
constexpr std::size_t kMaxAbsorbedBreaks = 2;

bool at(std::u16string_view text, std::size_t i, std::u16string_view what) {
  return text.substr(i, what.size()) == what;
}

void emit(std::u16string& out, std::u16string_view tag, std::u16string_view text) {
  out.append(tag);
  out.push_back(bt::kTab);
  out.append(text);
  out.append(bt::kLineEnd);
}

// A JUMP value shows only the first line of its choice: the text from the
// first line break or picture up to U+E055 moves behind the answer number.
std::u16string moveChoiceRest(std::u16string_view value) {
  std::size_t n = value.find(kBreak);
  std::size_t p = value.find(kPictureOpen);
  std::size_t from = std::min(n, p);
  if (from == std::u16string_view::npos) return std::u16string(value);
  std::size_t label = value.find(bt::kJumpLabelEnd, from);
  if (label == std::u16string_view::npos) return std::u16string(value);
  std::u16string_view body = bt::withoutLineEnd(value);
  std::u16string_view ending = value.substr(body.size());
  std::u16string out(body.substr(0, from));
  out.append(body.substr(label));
  out.append(body.substr(from, label - from));
  out.append(ending);
  return out;
}

}  // namespace

void fieldPassLine(std::u16string_view line, std::u16string& out, const ConversionContext& context,
                   const PictureConverter& convert) {
  std::size_t tab = line.find(bt::kTab);
  if (tab == std::u16string_view::npos || bt::hasTag(line, bt::kTagRule)) {
    out.append(line);
    return;
  }
  const std::u16string_view tag = line.substr(0, tab);
  std::u16string moved;
  std::u16string_view value = line.substr(tab + 1);
  if (tag == bt::kTagJump) {
    moved = moveChoiceRest(value);
    value = moved;
  }

  const std::u16string continuation = std::u16string(tag) + std::u16string(bt::kContinuationSuffix);
  std::u16string_view current = tag;
  std::u16string segment;
  std::size_t i = 0;
  while (i < value.size()) {
    if (value[i] != u'<') {
      // Only '<' starts markup: the text up to the next one joins the segment.
      const std::size_t next = std::min(findUnit(value, u'<', i), value.size());
      segment.append(value.substr(i, next - i));
      i = next;
      continue;
    }
    if (at(value, i, kBreak)) {
      emit(out, current, segment);
      segment.clear();
      current = continuation;
      i += kBreak.size();
      continue;
    }
    if (at(value, i, kSoundOpen)) {
      std::size_t close = value.find(kSoundClose, i + kSoundOpen.size());
      if (close != std::u16string_view::npos) {
        std::u16string_view name = value.substr(i + kSoundOpen.size(), close - i - kSoundOpen.size());
        context.options.soundPhase = 1;
        segment += bt::soundCode(name.empty() ? std::u16string(bt::kRefusedSoundId)
                                              : registerSound(context, name));
        i = close + kSoundClose.size();
        continue;
      }
    } else if (at(value, i, kPictureOpen)) {
      std::size_t close = value.find(kPictureClose, i + kPictureOpen.size());
      if (close != std::u16string_view::npos) {
        std::u16string_view name =
            value.substr(i + kPictureOpen.size(), close - i - kPictureOpen.size());
        if (!segment.empty()) {
          emit(out, current, segment);
          segment.clear();
        }
        current = continuation;
        PictureRegistration picture = registerPicture(context, convert, name);
        std::u16string ref;
        ref.push_back(bt::kPictureBegin);
        ref += picture.id;
        ref.push_back(bt::kPictureEnd);
        emit(out, bt::kTagPicture, ref);
        i = close + kPictureClose.size();
        for (std::size_t k = 0; k < kMaxAbsorbedBreaks && at(value, i, kBreak); ++k) i += kBreak.size();
        if (at(value, i, bt::kLineEnd)) i += bt::kLineEnd.size();
        continue;
      }
    }
    segment.push_back(value[i++]);
  }
  if (!segment.empty()) {
    out.append(current);
    out.push_back(bt::kTab);
    out.append(segment);
  }
}

void fieldPass(std::istream& in, std::ostream& out, const ConversionContext& context, const PictureConverter& convert) {
  copyByteOrderMark(in, out);
  WideLineReader reader(in);
  WideLineWriter writer(out);
  std::u16string line, converted;
  while (reader.read(line)) {
    converted.clear();
    fieldPassLine(line, converted, context, convert);
    writer.write(converted);
  }
}

void fieldPass(const std::filesystem::path& inPath, const std::filesystem::path& outPath,
               const ConversionContext& context, const PictureConverter& convert) {
  std::ifstream in = openPassInput(inPath);
  BackgroundOutput out(outPath);
  fieldPass(in, out, context, convert);
  out.close();
}

}  // namespace dm
