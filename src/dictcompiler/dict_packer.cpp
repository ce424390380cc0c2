#include "dictcompiler/dict_packer.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "dictcompiler/rom_table.h"
#include "dictcompiler/split_file.h"
#include "work/work_files.h"
#include "textio/hex.h"

namespace dm {

std::string tagCode(std::uint32_t i) {
  static const char kDigits[] = "0123456789abcd";
  std::string code(i / 14, 'e');
  code += kDigits[i % 14];
  return code;
}

std::string padTagPart(std::string tagPart, std::uint64_t previousDigits) {
  const bool endsF = !tagPart.empty() && tagPart.back() == 'F';
  const bool sameParity = tagPart.size() % 2 == previousDigits % 2;
  if (endsF && sameParity) return tagPart;
  tagPart += sameParity ? "FF" : "F";
  return tagPart;
}

std::uint64_t countHexDigits(std::string_view text) {
  // Eight bytes at a time: the top bit of a byte of `m` is set when the byte
  // is below 0x80 and lies in one of the ranges (each test adds to the low
  // seven bits, which cannot carry into the next byte). OR-ing 0x20 folds
  // exactly the capitals onto the small letters.
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kTops = 0x8080808080808080ull;
  auto atLeast = [](std::uint64_t low7, unsigned lo) { return low7 + (0x80u - lo) * kOnes; };
  std::uint64_t n = 0;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t x;
    std::memcpy(&x, text.data() + i, 8);
    const std::uint64_t low7 = x & ~kTops;
    const std::uint64_t folded = low7 | 0x20 * kOnes;
    const std::uint64_t digit = atLeast(low7, '0') & ~atLeast(low7, '9' + 1);
    const std::uint64_t letter = atLeast(folded, 'a') & ~atLeast(folded, 'z' + 1);
    n += static_cast<std::uint64_t>(std::popcount((digit | letter) & ~x & kTops));
  }
  for (; i < text.size(); ++i) {
    const auto u = static_cast<unsigned char>(text[i]);
    n += static_cast<unsigned char>(u - '0') < 10u || static_cast<unsigned char>((u | 0x20u) - 'a') < 26u;
  }
  return n;
}

namespace {

// Restores the source order of the coded lines. Their line numbers are
// normally 0..n-1, each once, so every line goes straight to its place;
// anything else is sorted (stably).
void restoreLineOrder(std::vector<CodedLine>& coded) {
  const std::size_t n = coded.size();
  std::vector<bool> seen(n, false);
  bool dense = true;
  for (const CodedLine& line : coded) {
    if (line.lineNo >= n || seen[line.lineNo]) {
      dense = false;
      break;
    }
    seen[line.lineNo] = true;
  }
  if (!dense) {
    std::stable_sort(coded.begin(), coded.end(),
                     [](const CodedLine& a, const CodedLine& b) { return a.lineNo < b.lineNo; });
    return;
  }
  std::vector<CodedLine> placed(n);
  for (CodedLine& line : coded) placed[line.lineNo] = std::move(line);
  coded.swap(placed);
}

// `value` as lower-case hex digits, at least `width` of them.
void appendHexDigits(std::string& out, std::uint64_t value, int width) {
  const int digits = std::max({1, (static_cast<int>(std::bit_width(value)) + 3) / 4, width});
  char text[64];
  char* p = text + sizeof text;
  for (int i = 0; i < digits && p != text; ++i) {
    *--p = "0123456789abcdef"[value & 0xF];
    value >>= 4;
  }
  if (digits > static_cast<int>(sizeof text)) out.append(static_cast<std::size_t>(digits) - sizeof text, '0');
  out.append(p, static_cast<std::size_t>(text + sizeof text - p));
}

}  // namespace

void PackDictionary(CompileState& s) {
  Dictionary& dict = s.dict;
  s.print("\rpack dictionary %s         \n", dict.name.c_str());
  restoreLineOrder(dict.coded);
  for (DictTag& t : dict.tags) {
    t.lineCount = 0;
    t.code.clear();
  }
  for (const CodedLine& line : dict.coded) ++dict.tags[line.tag].lineCount;

  // Codes by line count, highest first; equal counts in descending name order.
  std::vector<std::uint32_t> order;
  for (std::uint32_t i = 0; i < dict.tags.size(); ++i)
    if (dict.tags[i].lineCount > 0) order.push_back(i);
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    if (dict.tags[a].lineCount != dict.tags[b].lineCount) return dict.tags[a].lineCount > dict.tags[b].lineCount;
    return dict.tags[a].name > dict.tags[b].name;
  });
  for (std::uint32_t i = 0; i < order.size(); ++i) dict.tags[order[i]].code = tagCode(i);

  dict.packed.clear();
  dict.packed.reserve(dict.coded.size() + s.libs.size() + 1);
  bool headwordSeen = false;
  for (CodedLine& line : dict.coded) {
    if (dict.tags[line.tag].isHeadword) {
      if (headwordSeen) dict.packed.push_back(PackedLine{-1, 1, "F"});
      headwordSeen = true;
    }
    PackedLine packed{static_cast<int>(line.tag), 0, std::move(line.codes)};
    packed.text += 'F';
    packed.digits = static_cast<std::uint32_t>(countHexDigits(packed.text));  // a line is far shorter
    dict.packed.push_back(std::move(packed));
  }
  dict.packed.push_back(PackedLine{-1, 1, "F"});
  dict.coded.clear();

  dict.nibbleCount = 0;
  for (const PackedLine& line : dict.packed) dict.nibbleCount += line.digits;
}

void CopyBlockTagCodes(CompileState& s) {
  for (BlockTag& b : s.dict.blockTags) {
    const int t = s.dict.findTag(b.name);
    if (t >= 0) b.code = s.dict.tags[t].code;
  }
}

EntryTables buildEntryTables(const Dictionary& dict) {
  const std::vector<PackedLine>& lines = dict.packed;
  auto codeOf = [&](const PackedLine& l) -> const std::string& {
    static const std::string kSeparator = "F";
    return l.tag < 0 ? kSeparator : dict.tags[l.tag].code;
  };
  // Whether a line of each tag (the last slot: a separator) opens an entry:
  // its code is that of a block tag.
  std::vector<bool> opens(dict.tags.size() + 1, false);
  for (std::size_t t = 0; t <= dict.tags.size(); ++t) {
    const std::string& code = t < dict.tags.size() ? dict.tags[t].code : std::string("F");
    for (const BlockTag& b : dict.blockTags)
      if (!b.code.empty() && b.code == code) opens[t] = true;
  }
  auto opensEntry = [&](const PackedLine& l) {
    return opens[l.tag < 0 ? dict.tags.size() : static_cast<std::size_t>(l.tag)];
  };

  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (opensEntry(lines[i])) starts.push_back(i);
  // Lines before the first entry (no block tag opens the text) are kept as an
  // entry of their own rather than lost.
  if ((starts.empty() || starts.front() != 0) && lines.size() > 1) starts.insert(starts.begin(), 0);
  starts.push_back(lines.size());

  EntryTables t;
  std::size_t textBytes = 0, tableBytes = 0;
  for (const PackedLine& line : lines) {
    textBytes += line.text.size() + 1;
    if (line.tag >= 0) tableBytes += dict.tags[line.tag].name.size() + 19;  // usually: offsets of 8 digits
  }
  t.dic.reserve(textBytes + 4 * starts.size());
  t.add.reserve(18 * starts.size());
  t.aaa.reserve(tableBytes);
  std::uint64_t previousDigits = 0;
  std::uint64_t offset = 0;
  std::uint32_t lineNo = 0;
  for (std::size_t e = 0; e + 1 < starts.size(); ++e) {
    std::string tagPart;
    for (std::size_t i = starts[e]; i < starts[e + 1]; ++i) tagPart += codeOf(lines[i]);
    tagPart = padTagPart(std::move(tagPart), previousDigits);

    t.entryOffsets.push_back(offset);
    appendHexDigits(t.add, offset, 8);
    t.add += '\t';
    appendHexDigits(t.add, lineNo, 8);
    t.add += '\n';

    previousDigits = 0;
    for (std::size_t i = starts[e]; i < starts[e + 1]; ++i) {
      const PackedLine& line = lines[i];
      const std::uint64_t digits = line.digits;
      previousDigits += digits;
      if (line.tag >= 0) {
        t.aaa += dict.tags[line.tag].name;
        t.aaa += '\t';
        appendHexDigits(t.aaa, offset, 8);
        t.aaa += '\t';
        appendHexDigits(t.aaa, lineNo, 8);
        t.aaa += '\n';
        ++lineNo;
      }
      if (i == starts[e]) {
        t.dic += tagPart;
        t.dic += ' ';
        offset += tagPart.size();
      }
      t.dic += line.text;
      t.dic += '\n';
      offset += digits;
    }
  }
  t.nibbles = offset;
  return t;
}

void WriteEntryTables(CompileState& s) {
  Dictionary& dict = s.dict;
  const EntryTables t = buildEntryTables(dict);
  writeWholeFile(s.ctx.dictOutDir / workfiles::dictFile(dict.name, workfiles::kCodedTextExt), t.dic);
  writeWholeFile(s.ctx.dictDir / workfiles::dictFile(dict.name, workfiles::kEntryOffsetExt), t.aaa);
  writeWholeFile(s.ctx.dictDir / workfiles::dictFile(dict.name, workfiles::kLineAddressExt), t.add);
  dict.entryOffsets = t.entryOffsets;
  dict.nibbleCount = t.nibbles;
  dict.packed.clear();
}

std::string entryAddressList(const std::vector<std::uint64_t>& offsets, int width) {
  std::string out;
  for (std::uint64_t v : offsets) {
    appendHexDigits(out, v, std::clamp(width, 0, 32));
    out += '\n';
  }
  return out;
}

void WriteEntryAddressTable(CompileState& s) {
  s.print("\rProcess Dictionary Tag and Entry Data ...                              \r");
  const bool menu = s.ctx.kind == CompileKind::kMenu;
  const fs::path& out = s.ctx.dictOutDir;
  const fs::path list = menu ? out / workfiles::dictFile(workfiles::kMenuDictName, workfiles::kLineAddressExt)
                             : out / workfiles::kEntryAddressData;
  writeWholeFile(list, entryAddressList(s.dict.entryOffsets, s.ctx.entryNumberWidth));
  if (menu)
    WriteRomTable(list, s.ctx.romWriterType, out / workfiles::dictFile(workfiles::kMenuDictName, workfiles::kSegmentExt),
                  out / workfiles::dictFile(workfiles::kMenuDictName, workfiles::kOffsetExt));
  else
    WriteRomTable(list, s.ctx.romWriterType, out / workfiles::kEntryAddressSegments,
                  out / workfiles::kEntryAddressOffsets);
}

}  // namespace dm
