#include "dictcompiler/word_library.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "dictcompiler/side_by_side.h"
#include "dictcompiler/word_select.h"
#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/hex.h"
#include "work/work_files.h"

namespace dm {

namespace {

std::ofstream openChecked(const fs::path& path, const CompileState& s) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) {
    const std::string message = platform::withSystemError("can't open file " + path.string() + "  with  mode w\n", errno);
    s.print("%s", message.c_str());
    throw PassFailure(message);
  }
  return out;
}

void closeChecked(std::ofstream& out, const fs::path& path) {
  out.close();
  if (!out) throw PassFailure(platform::withSystemError("can't write file " + path.string() + "\n", errno));
}

// Distinct tokens of a library with their counts (open addressing over
// views into the line texts).
class TokenTable {
 public:
  TokenTable() : slots_(1024, Slot{0, kNone}) {}

  // The hash of a token is built unit by unit while the line is cut.
  static constexpr std::uint64_t kHashStart = 0x9E3779B97F4A7C15ull;
  static std::uint64_t hashStep(std::uint64_t h, char16_t c) { return (h ^ c) * 0xff51afd7ed558ccdull; }

  // The id of `token`, whose units gave `h` from kHashStart, counted once more.
  std::uint32_t add(std::u16string_view token, std::uint64_t h) {
    if ((tokens_.size() + 1) * 2 > slots_.size()) grow();
    h = finish(h, token.size());
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = h & mask;; i = (i + 1) & mask) {
      const Slot slot = slots_[i];
      if (slot.id == kNone) {
        const auto id = static_cast<std::uint32_t>(tokens_.size());
        slots_[i] = Slot{h, id};
        tokens_.push_back(token);
        counts_.push_back(1);
        return id;
      }
      if (slot.hash == h && sameUnits(tokens_[slot.id], token)) {
        ++counts_[slot.id];
        return slot.id;
      }
    }
  }
  const std::vector<std::u16string_view>& tokens() const { return tokens_; }
  const std::vector<std::uint32_t>& counts() const { return counts_; }

 private:
  static constexpr std::uint32_t kNone = ~0u;
  struct Slot {
    std::uint64_t hash;
    std::uint32_t id;
  };
  static std::uint64_t finish(std::uint64_t h, std::size_t size) {
    h ^= size;
    return h ^ (h >> 29);
  }
  static bool sameUnits(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), 2 * a.size()) == 0);
  }
  void grow() {
    std::vector<Slot> bigger(slots_.size() * 2, Slot{0, kNone});
    const std::size_t mask = bigger.size() - 1;
    for (const Slot& slot : slots_) {
      if (slot.id == kNone) continue;
      std::size_t i = slot.hash & mask;
      while (bigger[i].id != kNone) i = (i + 1) & mask;
      bigger[i] = slot;
    }
    slots_.swap(bigger);
  }

  std::vector<Slot> slots_;
  std::vector<std::u16string_view> tokens_;
  std::vector<std::uint32_t> counts_;
};

}  // namespace

// Most comparisons are settled by the first four units packed into one
// number, without reading the strings.
std::vector<std::uint32_t> stringOrder(std::span<const std::u16string_view> tokens) {
  struct Key {
    std::uint64_t head;
    std::uint32_t id;
  };
  std::vector<Key> keys(tokens.size());
  for (std::uint32_t id = 0; id < keys.size(); ++id) {
    const std::u16string_view t = tokens[id];
    std::uint64_t head = 0;
    for (std::size_t k = 0; k < 4; ++k) head = head << 16 | (k < t.size() ? t[k] : 0u);
    keys[id] = Key{head, id};
  }
  std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
    if (a.head != b.head) return a.head < b.head;
    return tokens[a.id] < tokens[b.id];
  });
  std::vector<std::uint32_t> order(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) order[i] = keys[i].id;
  return order;
}

WordListSizes writeWordList(std::span<const std::u16string_view> words, std::uint32_t blockRecord, std::ostream& dat,
                            std::ostream& sdx, std::ostream& cod) {
  WordListSizes sizes;
  if (blockRecord == 0) blockRecord = 1;
  std::vector<std::uint32_t> prefix(words.size(), 0);
  std::vector<std::uint32_t> charCount(0x10000, 0);
  std::size_t codedChars = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::u16string_view w = words[i];
    sizes.longestWord = std::max<std::uint64_t>(sizes.longestWord, w.size());
    std::uint32_t p = 0;
    if (i % blockRecord != 0) {
      const std::u16string_view before = words[i - 1];
      while (p < kMaxFrontPrefix && p < w.size() && p < before.size() && w[p] == before[p]) ++p;
    }
    prefix[i] = p;
    for (std::size_t k = p; k < w.size(); ++k) ++charCount[w[k]];
    codedChars += w.size() - p;
  }

  // Character codes over the characters that occur, in code-unit order.
  std::vector<char16_t> chars;
  std::vector<std::uint32_t> counts;
  for (std::uint32_t ch = 0; ch < 0x10000; ++ch) {
    if (charCount[ch] == 0) continue;
    chars.push_back(static_cast<char16_t>(ch));
    counts.push_back(charCount[ch]);
  }
  const NibbleCodes codes = AssignCodes(counts);
  sizes.charLenDist = codes.dist;
  // Every character's code, reusing the count table: the value in the low
  // 28 bits, the length in nibbles above them.
  std::vector<std::uint32_t>& charCode = charCount;
  for (std::size_t i = 0; i < chars.size(); ++i)
    charCode[chars[i]] = static_cast<std::uint32_t>(codes.length[i]) << 28 | codes.value[i];

  std::string datText;
  std::string sdxText;
  datText.reserve(4 * words.size() + 3 * codedChars);
  static const char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i % blockRecord == 0) {
      appendHex(sdxText, sizes.datNibbles, 6);
      sdxText += '\n';
      sizes.sdxNibbles += 6;
    }
    datText += kDigits[prefix[i] & 0xF];
    sizes.datNibbles += 2;  // the prefix and the closing f
    const std::u16string_view w = words[i];
    for (std::size_t k = prefix[i]; k < w.size(); ++k) {
      const std::uint32_t code = charCode[w[k]];
      const unsigned length = code >> 28;
      datText += ' ';
      appendCode(datText, code & 0x0FFFFFFFu, length);
      sizes.datNibbles += length;
    }
    datText += " f\n";
  }
  std::string codText;
  codText.reserve(5 * chars.size());
  for (std::uint32_t item : codes.order) {
    appendHex(codText, static_cast<unsigned>(chars[item]), 4, HexCase::kUpper);
    codText += '\n';
  }
  sizes.codNibbles = 4 * static_cast<std::uint64_t>(chars.size());
  dat << datText;
  sdx << sdxText;
  cod << codText;
  return sizes;
}

namespace {

// What generating one library hands back to the compile besides its files
// and its sizes: its coded lines and its longest line and word.
struct GeneratedLib {
  std::vector<CodedLine> coded;
  std::uint64_t longestLine = 0;  // characters of the tokens of a line
  std::uint64_t longestWord = 0;
};

GeneratedLib generateWordLib(const CompileState& s, WordLib& lib) {
  s.print("\rgen word lib %s    \n", lib.name.c_str());
  s.print("get word...          \r");

  // Tokens of every line, as ids of the distinct tokens.
  TokenTable table;
  std::vector<std::uint32_t> tokens;
  std::vector<std::uint32_t> lineStart;
  lineStart.reserve(lib.lines.size() + 1);
  for (const SplitLine& line : lib.lines) {
    lineStart.push_back(static_cast<std::uint32_t>(tokens.size()));
    // Cut at every separator, hashing the units on the way.
    const char16_t* p = line.text.data();
    const char16_t* const end = p + line.text.size();
    for (;;) {
      const char16_t* const start = p;
      std::uint64_t h = TokenTable::kHashStart;
      for (; p != end && *p != kTokenSeparator; ++p) h = TokenTable::hashStep(h, *p);
      if (p != start) tokens.push_back(table.add(std::u16string_view(start, static_cast<std::size_t>(p - start)), h));
      if (p == end) break;
      ++p;
    }
  }
  lineStart.push_back(static_cast<std::uint32_t>(tokens.size()));
  const std::vector<std::u16string_view>& distinct = table.tokens();
  const std::vector<std::uint32_t>& counts = table.counts();

  s.print("gen dat ...           \r");
  // Codes over the tokens in ascending string order.
  const std::vector<std::uint32_t> byString = stringOrder(distinct);
  std::vector<std::uint32_t> rankCounts(distinct.size());
  for (std::size_t r = 0; r < byString.size(); ++r) rankCounts[r] = counts[byString[r]];
  const NibbleCodes codes = AssignCodes(rankCounts);
  lib.wordLenDist = codes.dist;
  lib.textNibbles = codes.cost;

  // Every token's code and a blank, one after the other in token id order.
  std::vector<std::uint32_t> codeAt(distinct.size() + 1, 0);
  std::vector<std::uint32_t> rankOf(distinct.size());
  for (std::uint32_t r = 0; r < byString.size(); ++r) rankOf[byString[r]] = r;
  for (std::size_t t = 0; t < distinct.size(); ++t) codeAt[t + 1] = codes.length[rankOf[t]] + 1u;
  for (std::size_t t = 0; t < distinct.size(); ++t) codeAt[t + 1] += codeAt[t];
  std::string codeText;
  codeText.reserve(codeAt.back());
  for (std::uint32_t t = 0; t < distinct.size(); ++t) {
    const std::uint32_t r = rankOf[t];
    appendCode(codeText, codes.value[r], codes.length[r]);
    codeText += ' ';
  }
  std::vector<std::u16string_view> words;
  words.reserve(codes.order.size());
  for (std::uint32_t r : codes.order) words.push_back(distinct[byString[r]]);

  const fs::path datPath = s.ctx.dictOutDir / workfiles::wordLibFile(lib.name, workfiles::kWordListExt);
  const fs::path sdxPath = s.ctx.dictOutDir / workfiles::wordLibFile(lib.name, workfiles::kWordIndexExt);
  const fs::path codPath = s.ctx.dictOutDir / workfiles::wordLibFile(lib.name, workfiles::kCharCodeExt);
  std::ofstream dat = openChecked(datPath, s);
  std::ofstream sdx = openChecked(sdxPath, s);
  std::ofstream cod = openChecked(codPath, s);
  const WordListSizes sizes = writeWordList(words, s.blockRecord, dat, sdx, cod);
  closeChecked(dat, datPath);
  closeChecked(sdx, sdxPath);
  closeChecked(cod, codPath);
  lib.charLenDist = sizes.charLenDist;
  lib.datNibbles = sizes.datNibbles;
  lib.sdxNibbles = sizes.sdxNibbles;
  lib.codNibbles = sizes.codNibbles;

  GeneratedLib out;
  out.longestWord = sizes.longestWord;
  out.coded.resize(lib.lines.size());
  for (std::size_t i = 0; i < lib.lines.size(); ++i) {
    CodedLine& coded = out.coded[i];
    coded.lineNo = lib.lines[i].lineNo;
    coded.tag = lib.lines[i].tag;
    std::size_t bytes = 0;
    std::uint64_t chars = 0;
    for (std::uint32_t t = lineStart[i]; t < lineStart[i + 1]; ++t) {
      bytes += codeAt[tokens[t] + 1] - codeAt[tokens[t]];
      chars += distinct[tokens[t]].size();
    }
    coded.codes.reserve(bytes + 1);  // and the F the packer ends the line with
    for (std::uint32_t t = lineStart[i]; t < lineStart[i + 1]; ++t)
      coded.codes.append(codeText, codeAt[tokens[t]], codeAt[tokens[t] + 1] - codeAt[tokens[t]]);
    out.longestLine = std::max(out.longestLine, chars);
  }
  return out;
}

}  // namespace

void GenerateWordLibs(CompileState& s) {
  // Each library keeps its progress texts and its coded lines, which are
  // handed on in library order at the end.
  std::vector<std::ostringstream> logs(s.libs.size());
  std::vector<GeneratedLib> results(s.libs.size());
  std::vector<std::size_t> units(s.libs.size(), 0);
  for (std::size_t i = 0; i < s.libs.size(); ++i)
    for (const SplitLine& l : s.libs[i].lines) units[i] += l.text.size();
  const std::vector<std::exception_ptr> failures = runSideBySide(largestFirst(units), [&](std::size_t i) {
    CompileState local(s.ctx);
    local.out = s.out ? &logs[i] : nullptr;
    local.blockRecord = s.blockRecord;
    results[i] = generateWordLib(local, s.libs[i]);
  });

  std::size_t total = s.dict.coded.size();
  for (const GeneratedLib& result : results) total += result.coded.size();
  s.dict.coded.reserve(total);
  for (std::size_t i = 0; i < s.libs.size(); ++i) {
    if (s.out) *s.out << logs[i].str();
    if (failures[i]) std::rethrow_exception(failures[i]);
    s.maxWordLength = std::max(s.maxWordLength, results[i].longestWord);
    s.maxLineLength = std::max(s.maxLineLength, results[i].longestLine);
    std::move(results[i].coded.begin(), results[i].coded.end(), std::back_inserter(s.dict.coded));
    std::vector<CodedLine>().swap(results[i].coded);  // its moved-from lines are not needed any more
  }
}

}  // namespace dm
