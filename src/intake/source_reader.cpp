#include "intake/source_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "intake/sjis_table.h"
#include "platform/failure.h"
#include "platform/platform.h"

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
  char text[64];
  std::snprintf(text, sizeof text, ":0x%04x\n", code);
  errorLog << text;
  if (trace) {
    std::snprintf(text, sizeof text, "Error,Can't convert code=0x%04x\n", code);
    *trace << text;
  }
}

bool isLeadByte(unsigned b) { return b > 0x80 && !(b >= 0xA1 && b <= 0xDF); }

void copyRest(std::istream& in, std::ostream& out) {
  std::vector<char> chunk(kChunkBytes);
  while (in) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    out.write(chunk.data(), in.gcount());
  }
}

bool startsWithMark(std::istream& in) {
  char mark[2] = {0, 0};
  in.read(mark, 2);
  const bool utf16 = in.gcount() == 2 && static_cast<unsigned char>(mark[0]) == 0xFF &&
                     static_cast<unsigned char>(mark[1]) == 0xFE;
  in.clear();
  in.seekg(0);
  return utf16;
}

}  // namespace

std::uint64_t decodeShiftJis(std::istream& in, std::ostream& out, std::ostream& errorLog, std::ostream* trace) {
  std::vector<char> chunk(kChunkBytes);
  std::string bytesOut;
  std::uint64_t dropped = 0;
  int pendingLead = -1;  // a lead byte whose trail byte is in the next chunk

  const std::vector<char16_t>& units = codeUnits();
  auto emit = [&](std::uint16_t code) {
    const char16_t unit = units[code];
    if (unit == 0) {
      ++dropped;
      logConversionError(code, errorLog, trace);
      return;
    }
    bytesOut.push_back(static_cast<char>(unit & 0xFF));
    bytesOut.push_back(static_cast<char>(unit >> 8));
  };

  while (in) {
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const std::size_t n = static_cast<std::size_t>(in.gcount());
    if (n == 0) break;
    bytesOut.clear();
    std::size_t k = 0;
    while (k < n) {
      unsigned b = static_cast<unsigned char>(chunk[k]);
      if (pendingLead >= 0) {
        // A trail byte below 0x40 never completes a code: only the lead byte
        // is dropped, so a line break or tab after a stray lead byte survives.
        unsigned lead = static_cast<unsigned>(pendingLead);
        pendingLead = -1;
        if (b < 0x40) {
          emit(static_cast<std::uint16_t>(lead));
          continue;  // decode b on its own
        }
        emit(static_cast<std::uint16_t>(lead << 8 | b));
        ++k;
        continue;
      }
      if (isLeadByte(b)) {
        pendingLead = static_cast<int>(b);
      } else {
        emit(static_cast<std::uint16_t>(b));
      }
      ++k;
    }
    out.write(bytesOut.data(), static_cast<std::streamsize>(bytesOut.size()));
  }
  if (pendingLead >= 0) {
    // A lead byte at the end of the text.
    bytesOut.clear();
    emit(static_cast<std::uint16_t>(pendingLead));
  }
  return dropped;
}

bool convertSourceStream(std::istream& in, std::ostream& out, std::ostream& errorLog, std::ostream* trace) {
  if (startsWithMark(in)) {
    copyRest(in, out);
    return true;
  }
  out.write("\xFF\xFE", 2);
  decodeShiftJis(in, out, errorLog, trace);
  return false;
}

void convertSourceFile(const std::filesystem::path& source, const std::filesystem::path& uni,
                       const std::filesystem::path& errorLog) {
  platform::InputFile in(source);
  if (!in.is_open()) throw PassFailure("can't open the source text " + source.string() + ": " + in.error().message());
  const bool utf16 = startsWithMark(in);

  std::ofstream out(uni, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure("can't open file " + uni.string() + ": " + platform::systemErrorText(errno));
  if (utf16) {
    copyRest(in, out);
  } else {
    std::ofstream log(errorLog, std::ios::trunc);
    if (!log) throw PassFailure("can't open file " + errorLog.string() + ": " + platform::systemErrorText(errno));
    out.write("\xFF\xFE", 2);
    decodeShiftJis(in, out, log, &std::cout);
    log.close();
  }
  out.close();
  if (!out) throw PassFailure("can't write file " + uni.string() + ": " + platform::systemErrorText(errno));
}

}  // namespace dm
