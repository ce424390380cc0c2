#include "dictcompiler/header_writers.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <map>
#include <sstream>

#include "dictcompiler/split_file.h"
#include "dictcompiler/tag_tables.h"
#include "textio/wide_line.h"
#include "work/work_files.h"
#include "textio/format.h"

namespace dm {

namespace {

std::string upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Indices of the tags with a code, in code order (the tag ordinals).
std::vector<std::uint32_t> codedTags(const Dictionary& dict) {
  std::vector<std::uint32_t> order;
  for (std::uint32_t i = 0; i < dict.tags.size(); ++i)
    if (!dict.tags[i].code.empty()) order.push_back(i);
  std::sort(order.begin(), order.end(),
            [&](std::uint32_t a, std::uint32_t b) { return dict.tags[a].code < dict.tags[b].code; });
  return order;
}

std::uint64_t bytesOf(std::uint64_t nibbles) { return (nibbles + 1) / 2; }

}  // namespace

std::string firstNibbleRow(const CodeLengthDist& dist, int items) {
  std::string row;
  unsigned sum = 0;
  for (int i = 0; i < items; ++i) {
    if (i < kMaxCodeNibbles) sum = std::min(15u, sum + dist[i]);
    if (i > 0) row += ",";
    row += formatted("0x0%c", "0123456789abcdef"[sum]);
  }
  return row;
}

std::string offsetRow(const CodeLengthDist& dist, int items, const char* suffix) {
  std::string row;
  std::uint32_t last = 0;
  std::uint32_t used = 0;
  for (int i = 0; i < items; ++i) {
    if (i == 0 || used < 15) last = codeOffset(dist, std::min(i, kMaxCodeNibbles - 1));
    if (i < kMaxCodeNibbles) used += dist[i];
    if (i > 0) row += ", ";
    row += formatted("0x%x%s", last, suffix);
  }
  return row;
}

std::string dictHeaderText(const CompileState& s) {
  const Dictionary& dict = s.dict;
  std::string out = formatted("#ifndef _%s_H_\n#define _%s_H_\n\n", "DICT", "DICT");
  out += formatted("#define WORDLIB_BLOCKRECORD %d\n\n", static_cast<int>(s.blockRecord));
  out += formatted("#define  LINE_LENGTH (%ld+2)\n\n", static_cast<long>(s.maxLineLength));
  out += formatted("#define  WORD_LENGTH (%ld+2)\n\n", static_cast<long>(s.maxWordLength));

  out += formatted("ROMTYPE BYTE %sWdBaseNo[] =\n{\t/* the whole tag of %s_dic*/\n", upper(dict.name).c_str(),
                dict.name.c_str());
  for (std::uint32_t t : codedTags(dict)) {
    const DictTag& tag = dict.tags[t];
    const int lib = s.findLib(tag.library);
    out += formatted("  %d,\t//%s\tWDL_%s.dat\t%s\n", lib < 0 ? -1 : lib + 1, tag.name.c_str(), tag.library.c_str(),
                  tag.code.c_str());
  }
  out += "};\n\n";

  out += "ROMTYPE BYTE\tDICT_WDNO[][6] =\n{\n";
  for (const WordLib& lib : s.libs)
    out += "  {" + firstNibbleRow(lib.wordLenDist, 6) + "}, " + formatted("\t//WDL_%s.DAT\n", lib.name.c_str());
  out += "};\n\n";
  out += "ROMTYPE unsigned int32 WDL_SHORT_LONG_OFFSET[][6] =\n{\n";
  for (const WordLib& lib : s.libs)
    out += "  { " + offsetRow(lib.wordLenDist, 6, "L") + "}," + formatted("\t//WDL_%s.DAT\n", lib.name.c_str());
  out += "};\n\n";
  out += "ROMTYPE BYTE\tDICT_DSP[][4] =\n{\n";
  for (const WordLib& lib : s.libs)
    out += "  {" + firstNibbleRow(lib.charLenDist, 4) + "}, " + formatted("\t//WDL_%s.cod\n", lib.name.c_str());
  out += "};\n\n";
  out += "ROMTYPE unsigned int16 DICT_DSP_OFF[][4] =\n{\n";
  for (const WordLib& lib : s.libs)
    out += "  { " + offsetRow(lib.charLenDist, 4, "") + "}," + formatted("\t//WDL_%s.cod\n", lib.name.c_str());
  out += "};\n\n";

  out += "ROMTYPE unsigned int32\tDictCodeAddr[] =\n{\n";
  for (const WordLib& lib : s.libs) out += formatted("\t_WDL_%s_COD,\n", lib.name.c_str());
  out += "};\n\n";
  out += "ROMTYPE unsigned int32   DictWdNoAddr[] =\n{\n";
  for (const WordLib& lib : s.libs) out += formatted("\t_WDL_%s_DAT,\n", lib.name.c_str());
  out += "};\n\n";
  out += "ROMTYPE unsigned int32\tDictWdNoIdxAddr[] =\n{\n";
  for (const WordLib& lib : s.libs) out += formatted("\t_WDL_%s_IDX,\n", lib.name.c_str());
  out += "};\n\n";
  out += "#endif\n";
  return out;
}

std::string tagHeaderText(const CompileState& s) {
  const std::string internal = upper(s.ctx.internalName);
  std::string out = formatted("#ifndef _%s_TAG_H_\n#define _%s_TAG_H_\n\n", internal.c_str(), internal.c_str());
  const Dictionary& dict = s.dict;
  out += formatted("//dictionary %s tag nib  \n", dict.name.c_str());
  const std::string name = upper(dict.name);
  int ordinal = 0;
  for (std::uint32_t t : codedTags(dict))
    out += formatted("#define %s_TAG_%s  %d\n", name.c_str(), dict.tags[t].name.c_str(), ordinal++);
  out += "\n";
  out += "#endif\n";
  return out;
}

std::string ruleSourceText(const CompileState& s) {
  const std::string internal = upper(s.ctx.internalName);
  std::string out = formatted("#ifndef _%s_RUL_C_\n#define _%s_RUL_C_\n\n", internal.c_str(), internal.c_str());
  const std::string name = upper(s.dict.name);
  out += formatted("const\tTAGADDITIONAL\tRuleTable_%s[]=\n{\n", name.c_str());
  for (std::uint32_t t : codedTags(s.dict))
    out += formatted("  %s_TAG_%s_RULE,\n", name.c_str(), s.dict.tags[t].name.c_str());
  out += "};\n\n";
  out += "#endif\n";
  return out;
}

std::string dictTypeText(const CompileState& s) {
  std::string out = "#ifndef _DICT_TYPE_H_\n";
  out += "#define _DICT_TYPE_H_\n\n";
  out += formatted("#define\tDICT_TYPE_%s\t\t0x%02x\n", upper(s.dict.name).c_str(), 0);
  out += "\n#endif\n";
  return out;
}

std::string spaceReportText(const CompileState& s) {
  auto line = [](const std::string& label, std::uint64_t nibbles) {
    return formatted("%15s:%10d\n", label.c_str(), static_cast<int>(bytesOf(nibbles)));
  };
  std::string out = formatted("%15s:\n", "dict space");
  out += line(s.dict.codedPath, s.dict.nibbleCount);
  out += "\n";
  std::uint64_t all = s.dict.nibbleCount;
  for (const WordLib& lib : s.libs) {
    out += formatted("%15s:\n", ("lib " + lib.name + " space").c_str());
    out += line("in dict", lib.textNibbles);
    out += line(workfiles::wordLibFile(lib.name, workfiles::kWordListExt), lib.datNibbles);
    out += line(workfiles::wordLibFile(lib.name, workfiles::kWordIndexExt), lib.sdxNibbles);
    out += line(workfiles::wordLibFile(lib.name, workfiles::kCharCodeExt), lib.codNibbles);
    out += line("total", lib.textNibbles + lib.datNibbles + lib.sdxNibbles + lib.codNibbles);
    out += "\n";
    all += lib.datNibbles + lib.sdxNibbles + lib.codNibbles;
  }
  out += line("all space", all);
  return out;
}

std::string tagRuleListText(const CompileState& s, const std::string& tagHeader) {
  // Ordinals read back from the tag header: lines of three items whose second
  // item is NAME_TAG_<tag>.
  const std::string prefix = upper(s.dict.name) + "_TAG_";
  std::map<std::string, unsigned> ordinals;
  std::istringstream header(tagHeader);
  std::string text;
  while (std::getline(header, text)) {
    if (text.compare(0, 2, "//") == 0) continue;
    std::vector<std::string> items;
    std::size_t pos = 0;
    while (pos < text.size()) {
      const std::size_t from = text.find_first_not_of(" \t\r", pos);
      if (from == std::string::npos) break;
      const std::size_t to = std::min(text.find_first_of(" \t\r", from), text.size());
      items.push_back(text.substr(from, to - from));
      pos = to;
    }
    if (items.size() != 3 || items[1].compare(0, prefix.size(), prefix) != 0) continue;
    ordinals[items[1].substr(prefix.size())] = static_cast<unsigned>(std::strtoul(items[2].c_str(), nullptr, 10)) & 0xFFFF;
  }

  std::string out = "//tag_code,  tag_attr,  newline Indent,  chang line Indent \n";
  std::map<unsigned, std::string> rows;
  const std::span<const TagDef> table = entryTagTable();
  for (const std::u16string& census : s.ctx.tagList) {
    const std::string name = utf16ToUtf8(chompWide(census));
    const std::string_view base = baseTagName(name);
    const TagDef* row = findTagDef(table, base);
    if (!row) {
      out += formatted("// %s:\tthis tag rule hasn't been defined in the tag list!\n", name.c_str());
      continue;
    }
    auto it = ordinals.find(name);
    if (it == ordinals.end()) {
      out += formatted("// %s:\tcan't find this tag's code!\n", name.c_str());
      continue;
    }
    std::uint32_t attr = row->attr;
    if (name.find(kSplitSuffix) != std::string::npos) attr = (attr | 0x80000u) & ~1u;
    const unsigned block = row->blockKind | (static_cast<unsigned>(row->blockEdge) << 8);
    rows[it->second] = formatted("%04x\t%08x\t%02x\t%02x\t//%s\n", block, attr, row->newlineIndent,
                              row->changeLineIndent, name.c_str());
  }
  for (const auto& [ordinal, line] : rows) out += line;
  return out;
}

void WriteHeaders(CompileState& s) {
  const bool menu = s.ctx.kind == CompileKind::kMenu;
  const std::string& internal = s.ctx.internalName;
  writeWholeFile(s.ctx.dictOutDir / workfiles::kDictHeader, dictHeaderText(s));
  writeWholeFile(s.ctx.dictOutDir / (menu ? std::string(workfiles::kMenuTagHeader) : workfiles::tagHeaderFile(internal)),
                 tagHeaderText(s));
  writeWholeFile(s.ctx.dictDir / (menu ? std::string(workfiles::kMenuRuleSource) : workfiles::ruleSourceFile(internal)),
                 ruleSourceText(s));
  writeWholeFile(s.ctx.dictDir / workfiles::kDictType, dictTypeText(s));
  writeWholeFile(s.ctx.dictDir / (menu ? std::string(workfiles::kMenuSpaceReport) : workfiles::spaceReportFile(internal)),
                 spaceReportText(s));
}

void WriteTagRuleList(CompileState& s) {
  writeWholeFile(s.ctx.dictOutDir / workfiles::kTagRuleList, tagRuleListText(s, tagHeaderText(s)));
}

}  // namespace dm
