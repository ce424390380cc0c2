#include "dictcompiler/word_library.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "dictcompiler/word_select.h"
#include "platform/failure.h"
#include "platform/platform.h"
#include "work/work_files.h"
#include "textio/format.h"

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
  TokenTable() : slots_(1024, kNone) {}

  // The id of `token`, counted once more.
  std::uint32_t add(std::u16string_view token) {
    if ((tokens_.size() + 1) * 2 > slots_.size()) grow();
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash(token) & mask;; i = (i + 1) & mask) {
      const std::uint32_t id = slots_[i];
      if (id == kNone) {
        slots_[i] = static_cast<std::uint32_t>(tokens_.size());
        tokens_.push_back(token);
        counts_.push_back(1);
        return slots_[i];
      }
      if (tokens_[id] == token) {
        ++counts_[id];
        return id;
      }
    }
  }
  const std::vector<std::u16string_view>& tokens() const { return tokens_; }
  const std::vector<std::uint32_t>& counts() const { return counts_; }

 private:
  static constexpr std::uint32_t kNone = ~0u;
  static std::size_t hash(std::u16string_view t) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ t.size();
    for (char16_t c : t) h = (h ^ c) * 0xff51afd7ed558ccdull;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
  void grow() {
    std::vector<std::uint32_t> bigger(slots_.size() * 2, kNone);
    const std::size_t mask = bigger.size() - 1;
    for (std::uint32_t id = 0; id < tokens_.size(); ++id) {
      std::size_t i = hash(tokens_[id]) & mask;
      while (bigger[i] != kNone) i = (i + 1) & mask;
      bigger[i] = id;
    }
    slots_.swap(bigger);
  }

  std::vector<std::uint32_t> slots_;
  std::vector<std::u16string_view> tokens_;
  std::vector<std::uint32_t> counts_;
};

}  // namespace

WordListSizes writeWordList(std::span<const std::u16string_view> words, std::uint32_t blockRecord, std::ostream& dat,
                            std::ostream& sdx, std::ostream& cod) {
  WordListSizes sizes;
  if (blockRecord == 0) blockRecord = 1;
  std::vector<std::uint32_t> prefix(words.size(), 0);
  std::vector<std::uint32_t> charCount(0x10000, 0);
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
  std::vector<std::string> charCode(0x10000);
  for (std::size_t i = 0; i < chars.size(); ++i) charCode[chars[i]] = formatCode(codes.value[i], codes.length[i]);

  std::string datText;
  std::string sdxText;
  static const char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i % blockRecord == 0) {
      sdxText += formatted("%06llx\n", static_cast<unsigned long long>(sizes.datNibbles));
      sizes.sdxNibbles += 6;
    }
    datText += kDigits[prefix[i] & 0xF];
    sizes.datNibbles += 2;  // the prefix and the closing f
    const std::u16string_view w = words[i];
    for (std::size_t k = prefix[i]; k < w.size(); ++k) {
      const std::string& code = charCode[w[k]];
      datText += ' ';
      datText += code;
      sizes.datNibbles += code.size();
    }
    datText += " f\n";
  }
  std::string codText;
  for (std::uint32_t item : codes.order) {
    codText += formatted("%04X\n", static_cast<unsigned>(chars[item]));
  }
  sizes.codNibbles = 4 * static_cast<std::uint64_t>(chars.size());
  dat << datText;
  sdx << sdxText;
  cod << codText;
  return sizes;
}

void GenerateWordLibs(CompileState& s) {
  for (WordLib& lib : s.libs) {
    s.print("\rgen word lib %s    \n", lib.name.c_str());
    s.print("get word...          \r");

    // Tokens of every line, as ids of the distinct tokens.
    TokenTable table;
    std::vector<std::uint32_t> tokens;
    std::vector<std::uint32_t> lineStart;
    lineStart.reserve(lib.lines.size() + 1);
    for (const SplitLine& line : lib.lines) {
      lineStart.push_back(static_cast<std::uint32_t>(tokens.size()));
      const std::u16string_view text = line.text;
      std::size_t pos = 0;
      while (pos <= text.size()) {
        std::size_t cut = text.find(kTokenSeparator, pos);
        if (cut == std::u16string_view::npos) cut = text.size();
        if (cut > pos) {
          tokens.push_back(table.add(text.substr(pos, cut - pos)));
        }
        pos = cut + 1;
      }
    }
    lineStart.push_back(static_cast<std::uint32_t>(tokens.size()));
    const std::vector<std::u16string_view>& distinct = table.tokens();
    const std::vector<std::uint32_t>& counts = table.counts();

    s.print("gen dat ...           \r");
    // Codes over the tokens in ascending string order.
    std::vector<std::uint32_t> byString(distinct.size());
    for (std::uint32_t i = 0; i < byString.size(); ++i) byString[i] = i;
    std::sort(byString.begin(), byString.end(),
              [&](std::uint32_t a, std::uint32_t b) { return distinct[a] < distinct[b]; });
    std::vector<std::uint32_t> rankCounts(distinct.size());
    for (std::size_t r = 0; r < byString.size(); ++r) rankCounts[r] = counts[byString[r]];
    const NibbleCodes codes = AssignCodes(rankCounts);
    lib.wordLenDist = codes.dist;
    lib.textNibbles = codes.cost;

    std::vector<std::string> tokenCode(distinct.size());
    for (std::size_t r = 0; r < byString.size(); ++r)
      tokenCode[byString[r]] = formatCode(codes.value[r], codes.length[r]);
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
    s.maxWordLength = std::max(s.maxWordLength, sizes.longestWord);

    for (std::size_t i = 0; i < lib.lines.size(); ++i) {
      CodedLine coded;
      coded.lineNo = lib.lines[i].lineNo;
      coded.tag = lib.lines[i].tag;
      std::uint64_t chars = 0;
      for (std::uint32_t t = lineStart[i]; t < lineStart[i + 1]; ++t) {
        coded.codes += tokenCode[tokens[t]];
        coded.codes += ' ';
        chars += distinct[tokens[t]].size();
      }
      s.maxLineLength = std::max(s.maxLineLength, chars);
      s.dict.coded.push_back(std::move(coded));
    }
  }
}

}  // namespace dm
