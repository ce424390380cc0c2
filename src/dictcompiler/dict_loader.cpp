#include "dictcompiler/dict_loader.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <map>

#include "dictcompiler/side_by_side.h"
#include "dictcompiler/split_file.h"
#include "dictcompiler/tag_tables.h"
#include "platform/failure.h"
#include "textio/tokenizer.h"
#include "textio/unit_search.h"
#include "textio/wide_line.h"
#include "work/work_files.h"

namespace dm {

namespace {

// Longest line of the source read at once (the rest comes as further lines).
constexpr std::size_t kSourceLineUnits = 51200 - 1;
constexpr std::uint32_t kProgressLines = 50000;

std::span<const TagDef> tableOf(const CompileState& s) {
  return s.ctx.kind == CompileKind::kMenu ? menuTagTable(s.ctx.menuDepth + 1) : entryTagTable();
}

void checkSource(CompileState& s, const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const std::string message = "can't open dict source file " + path.string() + "\n";
    s.print("%s", message.c_str());
    throw PassFailure(message);
  }
  s.dict.sourcePath = path;
}

// The tags of the dictionary by their names as the source writes them, in a
// small open-addressed table over views into the names (which stay put
// while the lines are routed).
class TagLookup {
 public:
  explicit TagLookup(const std::vector<DictTag>& tags) {
    std::size_t size = 16;
    while (size < 4 * tags.size()) size *= 2;
    slots_.assign(size, kNone);
    names_.reserve(tags.size());
    for (const DictTag& t : tags) {
      const auto id = static_cast<std::uint32_t>(names_.size());
      names_.push_back(t.wname);
      std::size_t i = hash(t.wname) & (slots_.size() - 1);
      while (slots_[i] != kNone && names_[slots_[i]] != t.wname) i = (i + 1) & (slots_.size() - 1);
      if (slots_[i] == kNone) slots_[i] = id;  // a name twice: the first tag keeps it
    }
  }

  // The index of the tag named `name`, or -1.
  int find(std::u16string_view name) const {
    for (std::size_t i = hash(name) & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
      const std::uint32_t id = slots_[i];
      if (id == kNone) return -1;
      const std::u16string_view candidate = names_[id];
      if (candidate.size() == name.size() &&
          (name.empty() || std::memcmp(candidate.data(), name.data(), 2 * name.size()) == 0))
        return static_cast<int>(id);
    }
  }

 private:
  static constexpr std::uint32_t kNone = ~0u;
  static std::size_t hash(std::u16string_view name) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ name.size();
    for (char16_t c : name) h = (h ^ c) * 0xff51afd7ed558ccdull;
    return static_cast<std::size_t>(h ^ (h >> 31));
  }

  std::vector<std::uint32_t> slots_;
  std::vector<std::u16string_view> names_;
};

}  // namespace

std::string censusTagName(std::u16string_view tag) { return utf16ToUtf8(chompWide(tag)); }

void RegisterTags(CompileState& s) {
  const std::span<const TagDef> table = tableOf(s);
  std::set<std::string> libraries;
  for (const TagDef& row : table) libraries.insert(row.library);
  for (const std::string& name : libraries) {
    WordLib lib;
    lib.name = name;
    lib.rulePath = s.ctx.dictDir / workfiles::kNormRule;
    lib.splitPath = s.ctx.dictDir / workfiles::wordLibFile(name, workfiles::kSplitExt);
    s.libs.push_back(std::move(lib));
  }

  Dictionary& dict = s.dict;
  dict.name = s.ctx.kind == CompileKind::kMenu ? std::string(workfiles::kMenuDictName) : s.ctx.internalName;
  dict.codedPath = workfiles::dictFile(dict.name, workfiles::kCodedTextExt);

  if (s.ctx.kind == CompileKind::kMenu) {
    for (const TagDef& row : table) {
      const std::uint32_t t = dict.addTag(row.name, widen(row.name), row.library);
      dict.tags[t].opensBlock = true;
      dict.blockTags.push_back({row.name, {}});
    }
    checkSource(s, s.ctx.sourcePath);
    return;
  }
  if (s.ctx.tagList.empty()) return;

  for (const std::u16string& census : s.ctx.tagList) {
    const std::string name = censusTagName(census);
    const std::string_view base = baseTagName(name);
    const TagDef* row = findTagDef(table, base);
    if (!row) {
      s.print("Unknown Tag Name: %s!\n", std::string(base).c_str());
      break;
    }
    dict.addTag(name, std::u16string(chompWide(census)), row->library);
  }
  checkSource(s, s.ctx.sourcePath);
  const int start = dict.findTag(kEntryStartTag);
  if (start >= 0) {
    dict.tags[start].opensBlock = true;
    dict.tags[start].isHeadword = true;
  }
  dict.blockTags.assign(1, BlockTag{kEntryStartTag, {}});
}

void routeSource(CompileState& s, std::u16string_view text, std::vector<std::u16string>& unknown) {
  Dictionary& dict = s.dict;
  const TagLookup tagIndex(dict.tags);
  std::vector<int> tagLib(dict.tags.size(), -1);
  for (std::uint32_t i = 0; i < dict.tags.size(); ++i) tagLib[i] = s.findLib(dict.tags[i].library);
  std::set<std::u16string> unknownSet;

  std::uint32_t lineNo = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = std::min(text.size(), pos + kSourceLineUnits);
    const std::size_t lf = findUnit(text, u'\n', pos);
    if (lf != std::u16string_view::npos && lf < end) end = lf + 1;
    std::u16string_view line = chompWide(text.substr(pos, end - pos));
    pos = end;
    if (line.empty() || line[0] == u':') continue;

    const std::size_t tab = line.find(u'\t');
    const std::u16string_view tag = line.substr(0, tab);
    const std::u16string_view value = tab == std::u16string_view::npos ? std::u16string_view() : line.substr(tab + 1);
    const int t = tagIndex.find(tag);
    if (t < 0) {
      unknownSet.emplace(tag);
      continue;
    }
    const int lib = tagLib[t];
    if (lib < 0) continue;
    s.libs[lib].lines.push_back(SplitLine{lineNo, static_cast<std::uint32_t>(t), std::u16string(value)});
    ++s.libs[lib].lineCount;
    ++lineNo;
    if (lineNo % kProgressLines == 0) s.print("\r%s %d       \r", "read lines", static_cast<int>(lineNo));
  }
  unknown.assign(unknownSet.begin(), unknownSet.end());
}

void LoadDictionary(CompileState& s) {
  std::vector<std::u16string> unknown;
  if (!s.dict.sourcePath.empty()) {
    s.print("\rloading dictionary: %s\n", s.dict.sourcePath.string().c_str());
    const std::u16string text = readUtf16leAfterMark(
        s.dict.sourcePath, s, "can't open dict source file " + s.dict.sourcePath.string() + "\n");
    routeSource(s, text, unknown);
  }
  std::string err;
  if (!unknown.empty()) {
    err = "can't found the following tag in opt file :\n\n";
    for (const std::u16string& tag : unknown) err += utf16ToUtf8(tag) + "\n";
  }
  writeWholeFile(s.ctx.dictDir / workfiles::kTagErrors, err);
  // The split files side by side; a failure is the first in library order.
  std::vector<std::size_t> units(s.libs.size(), 0);
  for (std::size_t i = 0; i < s.libs.size(); ++i)
    for (const SplitLine& l : s.libs[i].lines) units[i] += l.text.size();
  const std::vector<std::exception_ptr> failures = runSideBySide(
      largestFirst(units), [&](std::size_t i) { writeSplitFile(s.libs[i].splitPath, s.dict, s.libs[i].lines); });
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
}

}  // namespace dm
