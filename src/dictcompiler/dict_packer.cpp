#include "dictcompiler/dict_packer.h"

#include <algorithm>
#include <cstdio>

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
  std::uint64_t n = 0;
  for (char c : text)
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) ++n;
  return n;
}

void PackDictionary(CompileState& s) {
  Dictionary& dict = s.dict;
  s.print("\rpack dictionary %s         \n", dict.name.c_str());
  std::stable_sort(dict.coded.begin(), dict.coded.end(),
                   [](const CodedLine& a, const CodedLine& b) { return a.lineNo < b.lineNo; });
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
      if (headwordSeen) dict.packed.push_back(PackedLine{-1, "F"});
      headwordSeen = true;
    }
    PackedLine packed{static_cast<int>(line.tag), std::move(line.codes)};
    packed.text += 'F';
    dict.packed.push_back(std::move(packed));
  }
  dict.packed.push_back(PackedLine{-1, "F"});
  dict.coded.clear();

  dict.nibbleCount = 0;
  for (const PackedLine& line : dict.packed) dict.nibbleCount += countHexDigits(line.text);
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
  auto opensEntry = [&](const PackedLine& l) {
    const std::string& code = codeOf(l);
    for (const BlockTag& b : dict.blockTags)
      if (!b.code.empty() && b.code == code) return true;
    return false;
  };

  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (opensEntry(lines[i])) starts.push_back(i);
  // Lines before the first entry (no block tag opens the text) are kept as an
  // entry of their own rather than lost.
  if ((starts.empty() || starts.front() != 0) && lines.size() > 1) starts.insert(starts.begin(), 0);
  starts.push_back(lines.size());

  EntryTables t;
  std::uint64_t previousDigits = 0;
  std::uint64_t offset = 0;
  std::uint32_t lineNo = 0;
  for (std::size_t e = 0; e + 1 < starts.size(); ++e) {
    std::string tagPart;
    for (std::size_t i = starts[e]; i < starts[e + 1]; ++i) tagPart += codeOf(lines[i]);
    tagPart = padTagPart(std::move(tagPart), previousDigits);

    t.entryOffsets.push_back(offset);
    appendHex(t.add, offset, 8);
    t.add += '\t';
    appendHex(t.add, lineNo, 8);
    t.add += '\n';

    previousDigits = 0;
    for (std::size_t i = starts[e]; i < starts[e + 1]; ++i) {
      const PackedLine& line = lines[i];
      const std::uint64_t digits = countHexDigits(line.text);
      previousDigits += digits;
      if (line.tag >= 0) {
        t.aaa += dict.tags[line.tag].name;
        t.aaa += '\t';
        appendHex(t.aaa, offset, 8);
        t.aaa += '\t';
        appendHex(t.aaa, lineNo, 8);
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
    appendHex(out, v, std::clamp(width, 0, 32));
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
