#include "intake/source_reader.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "intake/sjis_table.h"
#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/hex.h"
#include "textio/pass_io.h"
#include "textio/wide_line.h"

namespace dm {

char16_t lookupSjis(std::uint16_t code) {
  const SjisPair* end = kSjisTable + kSjisTableSize;
  const SjisPair* it =
      std::lower_bound(kSjisTable, end, code, [](const SjisPair& p, std::uint16_t c) { return p.code < c; });
  return (it != end && it->code == code) ? it->unit : 0;
}

namespace {

// Every code's unit, 0 for codes without a conversion; built once.
std::vector<char16_t> buildCodeUnits() {
  std::vector<char16_t> units(0x10000, 0);
  for (std::uint16_t c : {0x09, 0x0A, 0x0D}) units[c] = c;
  for (std::uint16_t c = 0x20; c <= 0x7D; ++c) units[c] = c;
  units[0x7E] = 0x203E;
  for (std::uint16_t c = 0xA1; c <= 0xDF; ++c) units[c] = static_cast<char16_t>(c + 0xFEC0);
  for (const SjisPair& p : kSjisTable) units[p.code] = p.unit;
  return units;
}

const std::vector<char16_t>& codeUnits() {
  static const std::vector<char16_t> units = buildCodeUnits();
  return units;
}

}  // namespace

char16_t decodeSjisCode(std::uint16_t code) { return codeUnits()[code]; }

namespace {

constexpr std::size_t kChunkBytes = 1 << 16;

void logConversionError(std::uint16_t code, std::ostream& errorLog, std::ostream* trace) {
  const std::string digits = hexText(code, 4);
  errorLog << ":0x" << digits << '\n';
  if (trace) *trace << "Error,Can't convert code=0x" << digits << '\n';
}

bool isLeadByte(unsigned b) { return b > 0x80 && !(b >= 0xA1 && b <= 0xDF); }

constexpr std::string_view kMarkLe("\xFF\xFE", 2);
constexpr std::string_view kMarkBe("\xFE\xFF", 2);
constexpr std::string_view kMarkUtf8("\xEF\xBB\xBF", 3);

// The rest of the stream, read straight into the string (`sizeHint`: the
// bytes expected, so a file is read in one go); the stream's own failure is
// left for the caller.
std::string readRest(std::istream& in, std::size_t sizeHint = 0) {
  std::string bytes;
  std::size_t have = 0;
  bytes.resize(std::max(sizeHint + 1, kChunkBytes));
  while (in) {
    if (have == bytes.size()) bytes.resize(2 * bytes.size());
    in.read(bytes.data() + have, static_cast<std::streamsize>(bytes.size() - have));
    have += static_cast<std::size_t>(in.gcount());
  }
  bytes.resize(have);
  return bytes;
}

void appendUnit(std::string& out, char16_t unit) {
  out.push_back(static_cast<char>(unit & 0xFF));
  out.push_back(static_cast<char>(unit >> 8));
}

char16_t unitAt(std::string_view wide, std::size_t k) {
  return static_cast<char16_t>(static_cast<unsigned char>(wide[2 * k]) |
                               static_cast<unsigned char>(wide[2 * k + 1]) << 8);
}

// UTF-16LE bytes, mark first, of a UTF-16 or UTF-8 source.
std::string unicodeCopy(std::string&& bytes, SourceEncoding encoding) {
  if (encoding == SourceEncoding::Utf16Le) return std::move(bytes);
  std::string out;
  if (encoding == SourceEncoding::Utf16Be) {
    // Swapping each pair turns the mark FE FF into FF FE; an odd last byte
    // holds no character and is dropped.
    out.reserve(bytes.size());
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      out.push_back(bytes[i + 1]);
      out.push_back(bytes[i]);
    }
    return out;
  }
  std::string_view text(bytes);
  if (text.starts_with(kMarkUtf8)) text.remove_prefix(kMarkUtf8.size());
  const std::u16string units = utf8ToUtf16(text);
  out.reserve(2 * units.size() + 2);
  out.append(kMarkLe);
  for (char16_t unit : units) appendUnit(out, unit);
  return out;
}

// Puts a CR before every LF of the UTF-16LE text `wide` when it holds no CR
// LF at all; a text with any CR LF stays as it is.
void endLinesWithCrLf(std::string& wide) {
  const std::size_t units = wide.size() / 2;
  std::size_t lineFeeds = 0;
  for (std::size_t k = 0; k < units; ++k) {
    if (unitAt(wide, k) != u'\n') continue;
    if (k > 0 && unitAt(wide, k - 1) == u'\r') return;
    ++lineFeeds;
  }
  if (lineFeeds == 0) return;
  std::string out;
  out.reserve(wide.size() + 2 * lineFeeds);
  for (std::size_t k = 0; k < units; ++k) {
    if (unitAt(wide, k) == u'\n') appendUnit(out, u'\r');
    out.append(wide, 2 * k, 2);
  }
  if (wide.size() % 2 == 1) out.push_back(wide.back());
  wide.swap(out);
}

// Decodes the Shift-JIS `bytes` and appends the UTF-16LE bytes to `wide`;
// see decodeShiftJis. A lead byte takes the next byte as its trail unless
// that byte is below 0x40 (then only the lead byte is dropped, so a line
// break or tab after a stray lead byte survives) or the text ends.
std::uint64_t decodeShiftJisBytes(std::string_view bytes, std::string& wide, std::ostream& errorLog,
                                  std::ostream* trace) {
  const std::vector<char16_t>& units = codeUnits();
  const std::size_t n = bytes.size();
  const std::size_t start = wide.size();
  wide.resize(start + 2 * n);  // at most one unit per byte
  char* out = wide.data() + start;
  const unsigned char* in = reinterpret_cast<const unsigned char*>(bytes.data());
  std::uint64_t dropped = 0;
  std::size_t k = 0;
  while (k < n) {
    const unsigned b = in[k];
    std::uint16_t code = static_cast<std::uint16_t>(b);
    ++k;
    if (isLeadByte(b) && k < n && in[k] >= 0x40) code = static_cast<std::uint16_t>(b << 8 | in[k++]);
    const char16_t unit = units[code];
    if (unit == 0) {
      ++dropped;
      logConversionError(code, errorLog, trace);
      continue;
    }
    *out++ = static_cast<char>(unit & 0xFF);
    *out++ = static_cast<char>(unit >> 8);
  }
  wide.resize(static_cast<std::size_t>(out - wide.data()));
  return dropped;
}

// The working copy of a source read whole: `errorLog` is used only for a
// Shift-JIS source.
std::string workingCopy(std::string&& bytes, SourceEncoding encoding, std::ostream& errorLog,
                        std::ostream* trace) {
  std::string wide;
  if (encoding == SourceEncoding::ShiftJis) {
    wide.reserve(2 * bytes.size() + kMarkLe.size());
    wide.append(kMarkLe);
    decodeShiftJisBytes(bytes, wide, errorLog, trace);
  } else {
    wide = unicodeCopy(std::move(bytes), encoding);
  }
  endLinesWithCrLf(wide);
  return wide;
}

}  // namespace

std::uint64_t decodeShiftJis(std::istream& in, std::ostream& out, std::ostream& errorLog, std::ostream* trace) {
  const std::string bytes = readRest(in);
  std::string wide;
  const std::uint64_t dropped = decodeShiftJisBytes(bytes, wide, errorLog, trace);
  out.write(wide.data(), static_cast<std::streamsize>(wide.size()));
  return dropped;
}

SourceEncoding detectSourceEncoding(std::string_view bytes) {
  if (bytes.starts_with(kMarkLe)) return SourceEncoding::Utf16Le;
  if (bytes.starts_with(kMarkBe)) return SourceEncoding::Utf16Be;
  if (bytes.starts_with(kMarkUtf8)) return SourceEncoding::Utf8;
  const bool multiByte =
      std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return multiByte && isValidUtf8(bytes) ? SourceEncoding::Utf8 : SourceEncoding::ShiftJis;
}

SourceEncoding convertSourceStream(std::istream& in, std::ostream& out, std::ostream& errorLog,
                                   std::ostream* trace) {
  std::string bytes = readRest(in);
  const SourceEncoding encoding = detectSourceEncoding(bytes);
  const std::string wide = workingCopy(std::move(bytes), encoding, errorLog, trace);
  out.write(wide.data(), static_cast<std::streamsize>(wide.size()));
  return encoding;
}

SourceEncoding convertSourceFile(const std::filesystem::path& source, const std::filesystem::path& uni,
                                 const std::filesystem::path& errorLog, ProgressSink& sink) {
  platform::InputFile in(source);
  if (!in.is_open()) throw PassFailure("can't open the source text " + source.string() + ": " + in.error().message());
  std::error_code sizeError;
  const std::uintmax_t size = std::filesystem::file_size(source, sizeError);
  std::string bytes = readRest(in, sizeError || size > (std::uintmax_t{1} << 32) ? 0 : static_cast<std::size_t>(size));
  if (in.bad()) {
    throw PassFailure("can't read the source text " + source.string() + ": " +
                      platform::systemErrorText(errno));
  }
  const SourceEncoding encoding = detectSourceEncoding(bytes);

  std::ofstream out = openPassOutput(uni);
  std::string wide;
  if (encoding == SourceEncoding::ShiftJis) {
    std::ofstream log = openPassOutput(errorLog);
    SinkLogStream trace(sink);
    wide = workingCopy(std::move(bytes), encoding, log, &trace);
    log.close();
  } else {
    std::ostringstream unused;
    wide = workingCopy(std::move(bytes), encoding, unused, nullptr);
  }
  out.write(wide.data(), static_cast<std::streamsize>(wide.size()));
  closePassOutput(out, uni);
  return encoding;
}

}  // namespace dm
