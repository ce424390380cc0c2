#include "media/bitmap_symbol_coder.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "dictcompiler/assign_codes.h"
#include "media/bitmap_hex.h"
#include "textio/hex.h"
#include "textio/format.h"

namespace dm::bitmap {

namespace {

constexpr std::uint32_t kMaxRepeat = 65535;

// A hex digit's value; a character that is none counts as 0.
int digitOrZero(char c) { return std::max(0, hexDigitValue(c)); }

// A picture the coder takes: 1 or 4 bits, all its rows, a height within the
// coder's limit and the information line's field.
bool codable(const HexBitmap& p) {
  return (p.bits == 1 || p.bits == 4) && p.height >= 1 && p.rows.size() == p.height &&
         p.height <= kMaxSymbolRows && p.height <= kMaxInfoHeight && p.width <= 0xFFFF;
}

// The picture's bytes after the row delta, rows joined.
std::vector<std::uint8_t> deltaBytes(const HexBitmap& p) {
  const std::size_t rowBytes = p.rowDigits() / 2;
  std::vector<std::uint8_t> bytes(rowBytes * p.height);
  for (std::size_t y = 0; y < p.height; ++y) {
    const std::string& row = p.rows[y];
    for (std::size_t i = 0; i < rowBytes; ++i)
      bytes[y * rowBytes + i] = static_cast<std::uint8_t>(digitOrZero(row[2 * i]) << 4 | digitOrZero(row[2 * i + 1]));
  }
  for (std::size_t y = p.height; y-- > 1;)
    for (std::size_t i = 0; i < rowBytes; ++i) bytes[y * rowBytes + i] ^= bytes[(y - 1) * rowBytes + i];
  return bytes;
}

// Calls f(symbol) for every run symbol: repeat count << 8 | byte, which is
// also the symbol's six-digit text "%04X%02X" read as a number.
template <class F>
void forEachSymbol(const std::vector<std::uint8_t>& bytes, F f) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    std::uint32_t count = 1;
    while (i + count < bytes.size() && count < kMaxRepeat && bytes[i + count] == bytes[i]) ++count;
    f(count << 8 | bytes[i]);
    i += count;
  }
}

// One number, taken as unsigned long long whatever its type, in `fmt`.
std::string format(const char* fmt, unsigned long long a) { return formatted(fmt, a); }

void writeHeader(std::ostream& h, const std::string& ident, const NibbleCodes& codes) {
  h << "#ifndef _" << ident << "_INC_\n#define _" << ident << "_INC_\n\n";
  h << "ROMTYPE struct {\n  uchar wdno[5];\n  uint  offset[5];\n}" << ident << "_WDNO_OFFSET={\n";
  // Cumulative first-nibble counts, and per length the first code value minus
  // the number of symbols with shorter codes.
  std::uint64_t offsets[kHeaderCodeLengths];
  unsigned cumulative = 0;
  h << "{";
  for (int k = 0; k < kHeaderCodeLengths; ++k) {
    const std::uint64_t firstCode = std::uint64_t{cumulative} << (4 * k);
    const auto shorter = static_cast<std::uint64_t>(
        std::count_if(codes.length.begin(), codes.length.end(), [&](std::uint8_t len) { return len < k + 1; }));
    offsets[k] = firstCode - shorter;
    cumulative += codes.dist[static_cast<std::size_t>(k)];
    h << (k ? "," : "") << format("0x%02llx", cumulative);
  }
  const bool wide = std::any_of(std::begin(offsets), std::end(offsets), [](std::uint64_t v) { return v >= 0x10000; });
  h << "},\n  {";
  for (int k = 0; k < kHeaderCodeLengths; ++k) h << (k ? "," : "") << format(wide ? "0x%06llx" : "0x%04llx", offsets[k]);
  h << "}\n};\n\n#endif\n\n";
}

}  // namespace

std::size_t writeSymbolTables(std::istream& cln, const SymbolTableSpec& spec, const TableStreams& out) {
  // First pass: count the symbols of every picture the coder takes.
  const std::istream::pos_type start = cln.tellg();
  std::unordered_map<std::uint32_t, std::uint32_t> counts;
  HexBitmap picture;
  {
    HexPictureReader reader(cln);
    while (reader.next(picture))
      if (codable(picture)) forEachSymbol(deltaBytes(picture), [&](std::uint32_t s) { ++counts[s]; });
  }

  // Codes: items in ascending symbol order, so the index is the key rank.
  std::vector<std::uint32_t> symbols;
  symbols.reserve(counts.size());
  for (const auto& [symbol, n] : counts) symbols.push_back(symbol);
  std::sort(symbols.begin(), symbols.end());
  std::vector<std::uint32_t> itemCounts(symbols.size());
  std::unordered_map<std::uint32_t, std::uint32_t> index;
  index.reserve(symbols.size());
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    itemCounts[i] = counts[symbols[i]];
    index.emplace(symbols[i], static_cast<std::uint32_t>(i));
  }
  counts.clear();
  const NibbleCodes codes = AssignCodes(itemCounts, kFirstNibbleValues);
  std::vector<std::string> codeText(symbols.size());
  for (std::size_t i = 0; i < symbols.size(); ++i) codeText[i] = formatCode(codes.value[i], codes.length[i]);

  if (out.h) writeHeader(*out.h, spec.ident, codes);
  if (out.cod)
    for (std::uint32_t item : codes.order) *out.cod << format("%06llx\n", symbols[item]);

  // Second pass: the codes of every picture.
  cln.clear();
  cln.seekg(start);
  HexPictureReader reader(cln);
  std::size_t pictures = 0;
  std::uint64_t offset = 0;  // hex digits of .dic
  std::uint32_t coded = 0;
  int lastBits = 4;
  const std::uint64_t fieldMax = spec.colour ? kMaxSevenDigits : 0xFFFFFFFFull;
  std::string text;
  std::vector<std::uint32_t> items;
  while (reader.next(picture)) {
    ++pictures;
    bool fits = codable(picture) && offset <= kTableDigitLimit;
    if (fits) {
      items.clear();
      std::uint64_t digits = 0;
      forEachSymbol(deltaBytes(picture), [&](std::uint32_t s) {
        const std::uint32_t item = index.at(s);
        items.push_back(item);
        digits += codes.length[item];
      });
      fits = offset + digits <= fieldMax;
      if (fits) {
        if (out.inf) *out.inf << infoLine(picture.bits == 1 ? kKindSymbol1 : kKindSymbol4, picture.height, picture.width, coded);
        if (out.add) {
          if (spec.colour)
            *out.add << format("%07llx", offset) << format("\t%llx\n", static_cast<unsigned>(picture.bits));
          else
            *out.add << format("%08llx\n", offset);
        }
        text.clear();
        for (std::uint32_t item : items) text += codeText[item];
        text += "\n\n";
        if (out.dic) *out.dic << text;
        offset += digits;
        lastBits = picture.bits;
        ++coded;
      }
    }
    if (!fits && out.inf) *out.inf << kDefaultInfoLine;
  }
  if (out.add) {
    if (spec.colour)
      *out.add << format("%07llx", offset) << format("\t%llx\n", static_cast<unsigned>(lastBits));
    else
      *out.add << format("%08llx\n", offset);
  }
  return pictures;
}

}  // namespace dm::bitmap
