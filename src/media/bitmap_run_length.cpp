#include "media/bitmap_run_length.h"

#include <cstdio>

#include "media/bitmap_hex.h"
#include "textio/format.h"

namespace dm::bitmap {

namespace {

// The longest run and the longest literal stretch one code covers (the
// same as the cost estimate of the classification).
constexpr std::size_t kMaxRun = 65532;
constexpr std::size_t kMaxLiteral = 65535;

constexpr char kHex[] = "0123456789ABCDEF";

void putByte(std::string& out, unsigned b) {
  out.push_back(kHex[b >> 4 & 15]);
  out.push_back(kHex[b & 15]);
}

bool takes(const HexBitmap& p) {
  return (p.bits == 1 || p.bits == 4) && p.rows.size() == p.height && p.height <= kMaxInfoHeight &&
         p.width <= 0xFFFF;
}

std::string joinedRows(const HexBitmap& p) {
  std::string digits;
  digits.reserve(p.rowDigits() * p.rows.size());
  for (const std::string& row : p.rows) digits += row;
  return digits;
}

// One number, taken as unsigned long long whatever its type, in `fmt`.
std::string format(const char* fmt, unsigned long long a) { return formatted(fmt, a); }

}  // namespace

std::string runLengthCode(std::string_view digits) {
  const std::size_t n = digits.size() / 2;
  auto unit = [&](std::size_t i) { return digits.substr(2 * i, 2); };
  auto threeEqual = [&](std::size_t i) { return i + 2 < n && unit(i) == unit(i + 1) && unit(i) == unit(i + 2); };
  std::string out;
  std::size_t i = 0;
  while (i < n) {
    if (n - i < 3) {
      putByte(out, static_cast<unsigned>(n - i));
      out.append(digits.substr(2 * i));
      break;
    }
    if (threeEqual(i)) {
      std::size_t run = 3;
      while (run < kMaxRun && i + run < n && unit(i + run) == unit(i)) ++run;
      if (run < 128) {
        putByte(out, 0x80 + static_cast<unsigned>(run));
        out.append(unit(i));
      } else {
        out.append("80");
        out.append(unit(i));
        putByte(out, run & 0xFF);
        putByte(out, run >> 8 & 0xFF);
      }
      i += run;
    } else {
      const std::size_t from = i;
      while (i < n && i - from < kMaxLiteral && !threeEqual(i)) ++i;
      const std::size_t count = i - from;
      if (count < 128) {
        putByte(out, static_cast<unsigned>(count));
      } else {
        out.append("00");
        putByte(out, count & 0xFF);
        putByte(out, count >> 8 & 0xFF);
      }
      out.append(digits.substr(2 * from, 2 * count));
    }
  }
  return out;
}

std::size_t writeRunLengthTables(std::istream& cln, const TableStreams& out) {
  HexPictureReader reader(cln);
  HexBitmap picture;
  std::size_t pictures = 0;
  std::uint64_t offset = 0;  // code bytes (units) of .dic
  std::uint32_t coded = 0;
  int lastBits = 4;
  while (reader.next(picture)) {
    ++pictures;
    // Offsets count units; the table may pass 0x10000000 hex digits only
    // with its last picture.
    if (!takes(picture) || offset * 2 > kTableDigitLimit) {
      if (out.inf) *out.inf << kDefaultInfoLine;
      continue;
    }
    const std::string code = runLengthCode(joinedRows(picture));
    if (out.inf) *out.inf << infoLine(kKindRunLength, picture.height, picture.width, coded);
    if (out.add) *out.add << format("%07llx", offset) << format("\t%llx\n", static_cast<unsigned>(picture.bits));
    if (out.dic) *out.dic << code << "\n\n";
    offset += code.size() / 2;
    lastBits = picture.bits;
    ++coded;
  }
  if (out.add) *out.add << format("%07llx", offset) << format("\t%llx\n", static_cast<unsigned>(lastBits));
  return pictures;
}

void writeRawTables(std::istream& pictures, const TableStreams& out, RawTableState& state) {
  HexPictureReader reader(pictures);
  HexBitmap picture;
  while (reader.next(picture)) {
    // The seven-digit offset field must hold the picture's first row.
    if (!takes(picture) || state.offset > kMaxSevenDigits) {
      if (out.inf) *out.inf << kDefaultInfoLine;
      continue;
    }
    if (out.dic) {
      for (const std::string& row : picture.rows) *out.dic << row << '\n';
      *out.dic << '\n';
    }
    if (out.inf)
      *out.inf << infoLine(picture.bits == 1 ? kKindRaw1 : kKindRaw4, picture.height, picture.width, state.written);
    if (out.add) *out.add << format("%07llx", state.offset) << format("\t%01llx\n", static_cast<unsigned>(picture.bits));
    state.offset += std::uint64_t{picture.rowDigits()} * picture.rows.size();
    ++state.written;
  }
}

}  // namespace dm::bitmap
