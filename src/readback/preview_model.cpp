// Sorting the decoded entries of a container into questions, choices and
// answer pages, and the menu into a tree.
#include <set>

#include "readback/byte_reader.h"
#include "readback/entry_decoder.h"
#include "readback/preview.h"

namespace dm::readback {

namespace {

// The display rule of one tag, as TagRule.bin lists it after the tag
// records: block code, attributes and the two indents.
struct TagRule {
  std::uint16_t block = 0;
  std::uint32_t attr = 0;
  std::uint8_t newlineIndent = 0;
  std::uint8_t changeIndent = 0;
};

// Block codes (kind in the low byte, edge in the high byte).
constexpr std::uint16_t kNoteStart = 0x0102;
// Attributes that tell the tags of a question apart; a piece of a line cut
// by the split pass carries kContinues, with bit 0 cleared.
constexpr std::uint32_t kContinues = 0x00080000;
constexpr std::uint32_t kHeadword = 0x140;      // the question number line
constexpr std::uint32_t kAnswerHead = 0x40;     // the first line of the answer page
constexpr std::uint32_t kChoice = 0x2000;       // a choice with its jump label
constexpr std::uint32_t kPicture = 0x10;        // a picture line
constexpr std::uint32_t kTimeLimit = 0x40000002;
constexpr std::uint32_t kAnswerNumber = 0x8002;
constexpr std::uint32_t kChoiceBlock = 0x2;     // begin and end of the choices

constexpr char16_t kJumpEnd = 0xE055;
constexpr std::size_t kJumpDigits = 12;

std::vector<TagRule> readTagRules(std::string_view image) {
  const Bytes b(image);
  std::vector<TagRule> rules;
  const std::size_t tags = b.u16(0);
  const std::size_t at = 16 + 4 * tags;
  for (std::size_t t = 0; t < tags && b.has(at + 8 * t, 8); ++t) {
    const std::size_t r = at + 8 * t;
    TagRule rule;
    rule.block = static_cast<std::uint16_t>(b.u8(r) << 8 | b.u8(r + 1));
    rule.attr = static_cast<std::uint32_t>(b.u8(r + 2)) << 24 | static_cast<std::uint32_t>(b.u8(r + 3)) << 16 |
                static_cast<std::uint32_t>(b.u8(r + 4)) << 8 | b.u8(r + 5);
    rule.newlineIndent = b.u8(r + 6);
    rule.changeIndent = b.u8(r + 7);
    rules.push_back(rule);
  }
  return rules;
}

TagRule ruleOf(const std::vector<TagRule>& rules, std::uint32_t ordinal) {
  return ordinal < rules.size() ? rules[ordinal] : TagRule{0, 1, 0, 0};
}

std::uint32_t kindOf(const TagRule& r) { return r.attr & ~(kContinues | 1u); }

int hexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads the jump address after the jump label's end.
void readJump(PreviewChoice& choice) {
  if (choice.lines.empty()) return;
  const std::u16string& line = choice.lines.front();
  const std::size_t end = line.find(kJumpEnd);
  if (end == std::u16string::npos || line.size() - end - 1 < kJumpDigits) return;
  std::uint64_t value = 0;
  for (std::size_t k = 0; k < kJumpDigits; ++k) {
    const int d = hexDigit(line[end + 1 + k]);
    if (d < 0) return;
    value = value * 16 + static_cast<unsigned>(d);
  }
  choice.hasJump = true;
  choice.targetEntry = static_cast<std::uint32_t>(value >> 16);
  choice.targetLine = static_cast<std::uint32_t>(value & 0xFFFF);
}

PreviewEntry sortEntry(const DecodedEntry& decoded, const std::vector<TagRule>& rules, std::uint32_t number) {
  PreviewEntry e;
  e.number = number;
  enum class Part { Head, Choices, AfterChoices, Answer, Comment } part = Part::Head;
  std::u16string* last = nullptr;  // the line a split piece continues
  auto push = [&](std::vector<std::u16string>& list, const std::u16string& text) {
    list.push_back(text);
    last = &list.back();
  };
  auto set = [&](std::u16string& field, const std::u16string& text) {
    field = text;
    last = &field;
  };
  for (const DecodedLine& line : decoded.lines) {
    const TagRule rule = ruleOf(rules, line.tagOrdinal);
    if (rule.attr & kContinues) {
      if (last) *last += line.text;
      continue;
    }
    last = nullptr;
    if (rule.block == kNoteStart) {
      part = Part::Answer;
      continue;
    }
    if (rule.block != 0) continue;  // the other block lines
    const std::uint32_t kind = kindOf(rule);
    if (kind == kHeadword) {
      e.isQuestion = true;
      set(e.heading, line.text);
    } else if (kind == kTimeLimit) {
      set(e.timeLimit, line.text);
    } else if (kind == kChoiceBlock) {
      part = part == Part::Head ? Part::Choices : Part::AfterChoices;
    } else if (kind == kAnswerNumber) {
      set(e.rightAnswer, line.text);
    } else if (kind == kChoice) {
      e.choices.emplace_back();
      push(e.choices.back().lines, line.text);
    } else if (kind == kAnswerHead) {
      part = Part::Answer;
      set(e.answerHeading, line.text);
    } else if (!e.isQuestion) {
      if (!line.text.empty()) push(e.other, line.text);
    } else {
      const bool picture = kind == kPicture;
      const bool plainLabel = !picture && rule.newlineIndent == 0 && rule.changeIndent == 0;
      switch (part) {
        case Part::Head:
          // An empty line without indent is the rule under the question.
          if (!(plainLabel && line.text.empty())) push(e.question, line.text);
          break;
        case Part::Choices:
          if (e.choices.empty()) push(e.question, line.text);
          else push(e.choices.back().lines, line.text);
          break;
        case Part::AfterChoices:
          break;
        case Part::Answer:
        case Part::Comment:
          if (plainLabel) {
            if (line.text.empty()) break;
            if (e.answerLabel.empty()) {
              set(e.answerLabel, line.text);
            } else {
              set(e.commentLabel, line.text);
              part = Part::Comment;
            }
          } else {
            push(part == Part::Comment ? e.comment : e.answer, line.text);
          }
          break;
      }
    }
  }
  for (PreviewChoice& c : e.choices) readJump(c);
  return e;
}

void buildMenu(const DecodedMenu& menu, std::size_t at, PreviewMenuNode& node, std::set<std::size_t>& seen,
               int depth) {
  const MenuItem& item = menu.items[at];
  node.caption = item.caption;
  node.type = item.type;
  if (item.type == 0) node.entry = item.number;
  if ((item.type != 1 && item.type != 3) || depth > 6) return;
  for (std::uint64_t k = 0; k < item.number; ++k) {
    const std::uint64_t child = std::uint64_t{item.firstChild} + k;
    if (child <= at || child >= menu.items.size() || !seen.insert(static_cast<std::size_t>(child)).second) continue;
    node.children.emplace_back();
    buildMenu(menu, static_cast<std::size_t>(child), node.children.back(), seen, depth + 1);
  }
}

std::uint32_t be32(const Bytes& b, std::size_t at) {
  return static_cast<std::uint32_t>(b.u8(at)) << 24 | static_cast<std::uint32_t>(b.u8(at + 1)) << 16 |
         static_cast<std::uint32_t>(b.u8(at + 2)) << 8 | b.u8(at + 3);
}

}  // namespace

int PreviewEntry::rightChoice() const {
  if (rightAnswer.size() != 1) return 0;
  const int d = hexDigit(rightAnswer[0]);
  if (d < 0 || d > 10) return 0;
  return d == 0 ? 10 : d;
}

std::vector<std::string> PreviewModel::failedChecks() const {
  std::vector<std::string> failed;
  for (const Check& c : report.checks)
    if (!c.ok) failed.push_back(c.name + ": " + c.detail);
  if (!report.notAContainer.empty()) failed.push_back("not a drill container: " + report.notAContainer);
  if (!bodyProblem.empty()) failed.push_back("drill body: " + bodyProblem);
  if (!menuProblem.empty()) failed.push_back("menu: " + menuProblem);
  return failed;
}

PreviewModel buildPreview(std::string_view delivered, std::string name) {
  PreviewModel m;
  m.name = std::move(name);
  m.report = inspectContainer(delivered, false);
  if (!m.report.notAContainer.empty()) return m;
  // The component images lie after the header, where the delivered bytes
  // are those the writer left.
  std::string_view dic, wordLib, tagRule, menuImage, sound;
  for (const Component& c : m.report.description.components) {
    if (std::uint64_t{c.offset} + c.size > delivered.size()) continue;
    const std::string_view image = delivered.substr(c.offset, c.size);
    if (c.name == "Dic.bin") dic = image;
    if (c.name == "WordLib.bin") wordLib = image;
    if (c.name == "TagRule.bin") tagRule = image;
    if (c.name == "Menu.bin") menuImage = image;
    if (c.name == "Sound.bin") sound = image;
    if (c.name == "Font.bin") m.fontImage = std::string(image);
    if (c.name == "ExtBmp.bin") m.extBmpImage = std::string(image);
  }
  const DecodedBody body = decodeBody(dic, wordLib, tagRule);
  m.bodyProblem = body.error;
  DecodedMenu menu;
  if (!menuImage.empty()) {
    menu = decodeMenu(menuImage);
    m.menuProblem = menu.error;
  } else {
    m.menuProblem = "the container lists no menu";
  }
  const std::vector<TagRule> rules = readTagRules(tagRule);
  for (std::size_t n = 0; n < body.entries.size(); ++n) {
    PreviewEntry e = sortEntry(body.entries[n], rules, static_cast<std::uint32_t>(n));
    if (menu.error.empty()) e.categories = categoryPath(menu, static_cast<std::uint32_t>(n));
    m.entries.push_back(std::move(e));
  }
  // A jump lands where it should when it names the first line after the
  // start of an answer page (lines counted from 1 at the entry's first).
  for (PreviewEntry& e : m.entries) {
    for (PreviewChoice& c : e.choices) {
      if (!c.hasJump || c.targetEntry >= body.entries.size() || c.targetLine < 2) continue;
      const std::vector<DecodedLine>& lines = body.entries[c.targetEntry].lines;
      const std::size_t at = c.targetLine - 1;
      c.landsOnAnswer = at < lines.size() && ruleOf(rules, lines[at - 1].tagOrdinal).block == kNoteStart &&
                        kindOf(ruleOf(rules, lines[at].tagOrdinal)) == kAnswerHead;
    }
  }
  if (menu.error.empty() && !menu.items.empty()) {
    std::set<std::size_t> seen{0};
    buildMenu(menu, 0, m.menu, seen, 0);
  }
  const Bytes s(sound);
  if (s.size() >= 8) {
    const std::uint32_t n = be32(s, 0);
    for (std::uint32_t i = 0; i < n && s.has(8 + 8ULL * i, 8); ++i) {
      const std::uint32_t off = be32(s, 8 + 8 * i), size = be32(s, 12 + 8 * i);
      if (size > 0 && s.has(off, size)) m.sounds.emplace(i, s.slice(off, size));
    }
  }
  return m;
}

}  // namespace dm::readback
