#include "dictcompiler/split_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/tokenizer.h"

namespace dm {

namespace {

// Writes the UTF-16LE bytes of `text` at `p` and moves past them.
void putUtf16le(char*& p, std::u16string_view text) {
  if constexpr (std::endian::native == std::endian::little) {
    if (!text.empty()) std::memcpy(p, text.data(), 2 * text.size());
    p += 2 * text.size();
  } else {
    for (char16_t c : text) {
      *p++ = static_cast<char>(c & 0xFF);
      *p++ = static_cast<char>(c >> 8);
    }
  }
}

// Encodes the split file in pieces of about kPieceBytes (whole lines), each
// handed to `put(data, size)`: the mark, then per line: dictionary TAB line
// number (8 hex digits) TAB tag TAB text LF.
template <typename Put>
void encodeSplitLines(const Dictionary& dict, const std::vector<SplitLine>& lines, Put put) {
  constexpr std::size_t kPieceBytes = 1 << 20;
  const std::u16string name = widen(dict.name);
  std::string piece(kPieceBytes, '\0');
  char* p = piece.data();
  *p++ = '\xFF';
  *p++ = '\xFE';
  for (const SplitLine& line : lines) {
    const std::u16string& tag = dict.tags[line.tag].wname;
    const std::size_t bytes = 2 * (name.size() + 12 + tag.size() + line.text.size());
    if (static_cast<std::size_t>(piece.data() + piece.size() - p) < bytes) {
      put(piece.data(), static_cast<std::size_t>(p - piece.data()));
      if (piece.size() < bytes) piece.resize(bytes);
      p = piece.data();
    }
    putUtf16le(p, name);
    char16_t number[10];
    number[0] = u'\t';
    for (int k = 0; k < 8; ++k) number[1 + k] = u"0123456789abcdef"[(line.lineNo >> (28 - 4 * k)) & 0xF];
    number[9] = u'\t';
    putUtf16le(p, std::u16string_view(number, 10));
    putUtf16le(p, tag);
    putUtf16le(p, u"\t");
    putUtf16le(p, line.text);
    putUtf16le(p, u"\n");
  }
  put(piece.data(), static_cast<std::size_t>(p - piece.data()));
}

}  // namespace

void appendUtf16le(std::string& bytes, std::u16string_view text) {
  const std::size_t at = bytes.size();
  bytes.resize(at + 2 * text.size());
  char* p = bytes.data() + at;
  putUtf16le(p, text);
}

std::string encodeSplitFile(const Dictionary& dict, const std::vector<SplitLine>& lines) {
  std::size_t total = 2;
  for (const SplitLine& line : lines)
    total += 2 * (dict.name.size() + 12 + dict.tags[line.tag].wname.size() + line.text.size());
  std::string bytes;
  bytes.reserve(total);
  encodeSplitLines(dict, lines, [&](const char* data, std::size_t size) { bytes.append(data, size); });
  return bytes;
}

void writeSplitFile(const std::filesystem::path& path, const Dictionary& dict, const std::vector<SplitLine>& lines) {
  // Through a buffer of a megabyte rather than the whole file at once.
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure(platform::withSystemError("can't open file " + path.string() + "\n", errno));
  encodeSplitLines(dict, lines, [&](const char* data, std::size_t size) {
    out.write(data, static_cast<std::streamsize>(size));
  });
  out.close();
  if (!out) throw PassFailure(platform::withSystemError("can't write file " + path.string() + "\n", errno));
}

namespace {

std::ifstream openForReading(const std::filesystem::path& path, const CompileState& s, const std::string& failure) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    s.print("%s", failure.c_str());
    throw PassFailure(failure);
  }
  return in;
}

// Bytes left in the stream from where it stands, as far as seeking tells;
// 0 when it cannot tell.
std::size_t bytesLeft(std::streambuf& in) {
  const std::streampos here = in.pubseekoff(0, std::ios::cur, std::ios::in);
  const std::streampos end = in.pubseekoff(0, std::ios::end, std::ios::in);
  if (here == std::streampos(-1) || end == std::streampos(-1)) return 0;
  in.pubseekpos(here, std::ios::in);
  return end > here ? static_cast<std::size_t>(end - here) : 0;
}

// Reads the rest of `in` into `buffer` (bytes of `buffer.size()` chars of
// `unit` bytes each), growing it as needed; returns the bytes read.
template <typename String>
std::size_t readRest(std::streambuf& in, String& buffer) {
  constexpr std::size_t unit = sizeof(typename String::value_type);
  // One more unit than the size says, so that a file that grew is noticed
  // without a second allocation in the usual case.
  buffer.resize(bytesLeft(in) / unit + 1);
  std::size_t got = 0;
  for (;;) {
    char* data = reinterpret_cast<char*>(buffer.data());
    const std::size_t room = unit * buffer.size() - got;
    const std::streamsize n = in.sgetn(data + got, static_cast<std::streamsize>(room));
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
    if (got == unit * buffer.size()) buffer.resize(std::max<std::size_t>(2 * buffer.size(), 1 << 16));
  }
  return got;
}

}  // namespace

std::string readWholeFile(const std::filesystem::path& path, const CompileState& s, const std::string& failure) {
  std::ifstream in = openForReading(path, s, failure);
  std::string bytes;
  bytes.resize(readRest(*in.rdbuf(), bytes));
  return bytes;
}

std::u16string readUtf16leAfterMark(const std::filesystem::path& path, const CompileState& s,
                                    const std::string& failure) {
  std::ifstream in = openForReading(path, s, failure);
  char mark[2];
  if (in.rdbuf()->sgetn(mark, 2) < 2) return {};
  std::u16string units;
  units.resize(readRest(*in.rdbuf(), units) / 2);
  if constexpr (std::endian::native != std::endian::little) {
    for (char16_t& c : units) c = static_cast<char16_t>(c << 8 | c >> 8);
  }
  return units;
}

void writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure(platform::withSystemError("can't open file " + path.string() + "\n", errno));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw PassFailure(platform::withSystemError("can't write file " + path.string() + "\n", errno));
}

}  // namespace dm
