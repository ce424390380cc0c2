#include "conversion/balance_pass.h"

#include "conversion/block_text.h"
#include "textio/background_output.h"
#include "textio/pass_io.h"
#include "textio/unit_search.h"
#include "textio/wide_line.h"

namespace dm {

namespace bt = blocktext;

namespace {

bool isCarriedOn(char16_t c) {
  return c == bt::kBoldOn || c == bt::kItalicOn || c == bt::kUnderlineOn || c == bt::kStyleSOn;
}
bool isCarriedOff(char16_t c) {
  return c == bt::kBoldOff || c == bt::kItalicOff || c == bt::kUnderlineOff || c == bt::kStyleSOff;
}

constexpr char16_t kMergedStyles[] = {bt::kBoldOn,    bt::kItalicOn, bt::kUnderlineOn,
                                      bt::kStyleSOn,  bt::kGbOn,     bt::kKeepOn};

// Reopens a span left open by the previous line and closes it again at the
// end of this one when it is still open there.
void carrySpan(std::u16string& value, char16_t on, bool& open) {
  if (open) value.insert(value.begin(), on);
  const char16_t off = static_cast<char16_t>(on + 1);
  for (std::size_t i = value.size(); i-- > 0;) {
    if (value[i] == off) {
      open = false;
      return;
    }
    if (value[i] == on) {
      open = true;
      value.push_back(off);
      return;
    }
  }
}

// True when balanceLine gives `line` back as it is: no style is carried in
// from the line before and the line holds no style code.
bool leftAsItIs(std::u16string_view line, const BalanceState& state) {
  return state.styles.empty() && !state.keepOpen && !state.gbOpen &&
         !holdsUnitIn(line, bt::kItalicOn, bt::kGbOff);
}

}  // namespace

std::u16string applyStyleStack(std::u16string_view value, std::vector<char16_t>& styles) {
  std::u16string out;
  out.reserve(value.size() + 4);
  for (char16_t c : value) {
    if (isCarriedOn(c)) {
      if (!styles.empty()) out.push_back(static_cast<char16_t>(styles.back() + 1));
      styles.push_back(c);
      out.push_back(c);
    } else if (isCarriedOff(c)) {
      out.push_back(c);
      if (styles.size() >= 2) out.push_back(styles[styles.size() - 2]);
      if (!styles.empty()) styles.pop_back();
    } else {
      out.push_back(c);
    }
  }
  if (!styles.empty()) out.push_back(static_cast<char16_t>(styles.back() + 1));
  return out;
}

std::u16string mergeStylePairs(std::u16string_view value) {
  std::u16string current(value);
  bool anyStyle = false;
  for (char16_t c : value) anyStyle = anyStyle || (c >= bt::kItalicOn && c <= bt::kGbOff);
  if (!anyStyle) return current;
  std::u16string next;
  for (char16_t on : kMergedStyles) {
    const char16_t off = static_cast<char16_t>(on + 1);
    if (current.find(on) == std::u16string::npos && current.find(off) == std::u16string::npos) continue;
    next.clear();
    for (char16_t c : current) {
      if ((c == on || c == off) && !next.empty()) {
        char16_t last = next.back();
        if ((c == off && last == on) || (c == on && last == off)) {
          next.pop_back();
          continue;
        }
      }
      next.push_back(c);
    }
    current.swap(next);
  }
  return current;
}

std::u16string balanceLine(std::u16string_view line, BalanceState& state) {
  if (leftAsItIs(line, state)) return std::u16string(line);
  const std::u16string_view body = bt::withoutLineEnd(line);
  const std::size_t tab = body.find(bt::kTab);
  if (tab == std::u16string_view::npos || tab + 1 == body.size() || bt::hasTag(body, bt::kTagPicture)) {
    return std::u16string(line);
  }
  std::u16string value;
  if (!state.styles.empty()) value.push_back(state.styles.back());
  value += applyStyleStack(body.substr(tab + 1), state.styles);
  carrySpan(value, bt::kKeepOn, state.keepOpen);
  carrySpan(value, bt::kGbOn, state.gbOpen);

  std::u16string out(body.substr(0, tab + 1));
  out += mergeStylePairs(value);
  out.append(line.substr(body.size()));
  return out;
}

void balancePass(std::istream& in, std::ostream& out) {
  copyByteOrderMark(in, out);
  WideLineReader reader(in);
  WideLineWriter writer(out);
  BalanceState state;
  std::u16string line;
  while (reader.read(line)) {
    if (leftAsItIs(line, state)) {
      writer.write(line);
    } else {
      writer.write(balanceLine(line, state));
    }
  }
}

void balancePass(const std::filesystem::path& inPath, const std::filesystem::path& outPath) {
  std::ifstream in = openPassInput(inPath);
  BackgroundOutput out(outPath);
  balancePass(in, out);
  out.close();
}

}  // namespace dm
