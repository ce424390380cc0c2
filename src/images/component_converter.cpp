#include "images/component_converter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <streambuf>
#include <vector>

#include "images/work_file.h"
#include "platform/failure.h"
#include "textio/hex.h"
#include "work/work_files.h"

namespace dm {

namespace {

constexpr std::size_t kFlushBytes = 1 << 20;


bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// Buffered writer that counts the bytes it passes on.
class Output {
 public:
  explicit Output(std::ostream& out) : out_(out) { buffer_.reserve(kFlushBytes); }
  ~Output() { flush(); }
  void put(char c) {
    buffer_.push_back(c);
    ++size_;
    if (buffer_.size() >= kFlushBytes) flush();
  }
  void flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }
  std::uint64_t size() const { return size_; }

 private:
  std::ostream& out_;
  std::string buffer_;
  std::uint64_t size_ = 0;
};

bool nextLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// The rest of the stream: at the size that seeking tells, then in large
// blocks for whatever follows.
std::string readAll(std::istream& in) {
  std::streambuf& buffer = *in.rdbuf();
  std::size_t expected = 0;
  const std::streampos here = buffer.pubseekoff(0, std::ios::cur, std::ios::in);
  const std::streampos end = buffer.pubseekoff(0, std::ios::end, std::ios::in);
  if (here != std::streampos(-1) && end != std::streampos(-1)) {
    buffer.pubseekpos(here, std::ios::in);
    if (end > here) expected = static_cast<std::size_t>(end - here);
  }
  std::string bytes(expected + 1, '\0');
  std::size_t got = 0;
  for (;;) {
    const std::streamsize n = buffer.sgetn(bytes.data() + got, static_cast<std::streamsize>(bytes.size() - got));
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
    if (got == bytes.size()) bytes.resize(std::max<std::size_t>(2 * got, 1 << 16));
  }
  bytes.resize(got);
  return bytes;
}

// What a character of a kind-0 line is: a hex digit's value (but '0'), or
// one of these.
constexpr std::uint8_t kOtherChar = 16, kTabChar = 17, kColonChar = 18, kZeroChar = 19;
constexpr std::array<std::uint8_t, 256> nibbleClasses() {
  std::array<std::uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    const int v = hexDigitValue(static_cast<char32_t>(c));
    classes[c] = v >= 0 ? static_cast<std::uint8_t>(v) : kOtherChar;
  }
  classes['0'] = kZeroChar;  // it may begin a "0x" pair
  classes['\t'] = kTabChar;
  classes[':'] = kColonChar;
  return classes;
}
constexpr std::array<std::uint8_t, 256> kNibbleClass = nibbleClasses();

// The whole text at once: a line is read in one pass that drops the "0x"
// pairs and TABs, counts what remains for the record width and packs the
// digits before the first ':'. At most one byte comes of two characters, so
// the bytes go into a buffer of that size and out in one write.
ComponentResult convertHexNibbles(std::istream& in, std::ostream& out, std::uint64_t& size, bool tabLinesOnly) {
  ComponentResult r;
  const std::string text = readAll(in);
  std::string bytes(text.size() / 2 + 1, '\0');
  char* o = bytes.data();
  const char* p = text.data();
  const char* const textEnd = p + text.size();
  int pending = -1;
  auto pack = [&](int v) {
    if (pending < 0) {
      pending = v;
    } else {
      *o++ = static_cast<char>(pending << 4 | v);
      pending = -1;
    }
  };
  bool widthSeen = false, widthCommon = true;
  std::uint64_t width = 0;
  while (p < textEnd) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(textEnd - p)));
    const char* end = lf ? lf : textEnd;
    const char* const next = lf ? lf + 1 : textEnd;
    if (end > p && end[-1] == '\r') --end;
    if (end == p || *p == ':') {
      p = next;
      continue;
    }
    bool counted = !tabLinesOnly;
    std::uint64_t rest = 0;
    bool packing = true;
    for (const char* c = p; c < end; ++c) {
      const std::uint8_t k = kNibbleClass[static_cast<unsigned char>(*c)];
      if (k < 16) {
        ++rest;
        if (packing) pack(k);
      } else if (k == kOtherChar) {
        ++rest;
      } else if (k == kTabChar) {
        counted = true;
      } else if (k == kZeroChar) {
        if (c + 1 < end && c[1] == 'x') {
          ++c;
          continue;
        }
        ++rest;
        if (packing) pack(0);
      } else {  // ':'
        ++rest;
        packing = false;
      }
    }
    if (counted) ++r.lines;
    if (!widthSeen) {
      width = rest;
      widthSeen = true;
    } else if (rest != width) {
      widthCommon = false;
    }
    p = next;
  }
  if (pending >= 0) *o++ = static_cast<char>(pending << 4 | 0x0F);
  size = static_cast<std::uint64_t>(o - bytes.data());
  out.write(bytes.data(), static_cast<std::streamsize>(size));
  r.recordWidth = widthSeen && widthCommon ? width : 0;
  return r;
}

ComponentResult convertHexTriplets(std::istream& in, Output& out) {
  ComponentResult r;
  std::string line;
  while (nextLine(in, line)) {
    if (line.empty() || line[0] == ':') continue;
    std::size_t i = 0;
    while (i < line.size() && isSpace(line[i])) ++i;
    if (i + 1 < line.size() && line[i] == '0' && (line[i + 1] == 'x' || line[i + 1] == 'X') &&
        i + 2 < line.size() && hexDigitValue(line[i + 2]) >= 0)
      i += 2;
    std::uint64_t value = 0;
    bool any = false;
    for (; i < line.size() && hexDigitValue(line[i]) >= 0; ++i) {
      value = value << 4 | static_cast<std::uint64_t>(hexDigitValue(line[i]));
      any = true;
    }
    if (!any) continue;
    ++r.lines;
    out.put(static_cast<char>((value >> 16) & 0xFF));
    out.put(static_cast<char>((value >> 8) & 0xFF));
    out.put(static_cast<char>(value & 0xFF));
  }
  return r;
}

ComponentResult copyBytes(std::istream& in, std::ostream& out) {
  ComponentResult r;
  std::vector<char> buffer(kFlushBytes);
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    std::streamsize got = in.gcount();
    if (got <= 0) break;
    out.write(buffer.data(), got);
    r.size += static_cast<std::uint64_t>(got);
  }
  return r;
}

// Discards what is written, counting nothing: measureComponent only needs
// the counts.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

}  // namespace

bool countsTabLinesOnly(std::string_view fileName) {
  return fileName.find("sidx.trm") != std::string_view::npos || fileName.find("pidx.trm") != std::string_view::npos ||
         fileName.find("sidx_long.trm") != std::string_view::npos;
}

ComponentResult convertComponent(std::istream& in, std::ostream& out, int kind, bool tabLinesOnly) {
  if (kind == kBinaryCopy) return copyBytes(in, out);
  if (kind != kHexNibbles && kind != kHexTriplets) throw PassFailure("Type error!");
  if (kind == kHexNibbles) {
    std::uint64_t size = 0;
    ComponentResult r = convertHexNibbles(in, out, size, tabLinesOnly);
    r.size = size;
    return r;
  }
  Output sink(out);
  ComponentResult r = convertHexTriplets(in, sink);
  sink.flush();
  r.size = sink.size();
  return r;
}

fs::path convertedPath(const fs::path& path) {
  fs::path out = path;
  out += workfiles::kConvertedSuffix;
  return out;
}

std::optional<ComponentResult> ConvertComponent(const fs::path& path, int kind, std::uint32_t callerValue) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  const fs::path target = convertedPath(path);
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (!out) return std::nullopt;
  ComponentResult r = convertComponent(in, out, kind, countsTabLinesOnly(path.filename().string()));
  out.flush();
  requireWritten(out, target);
  r.callerValue = callerValue;
  return r;
}

std::optional<ComponentResult> measureComponent(const fs::path& path, int kind) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  NullBuffer nothing;
  std::ostream out(&nothing);
  return convertComponent(in, out, kind, countsTabLinesOnly(path.filename().string()));
}

}  // namespace dm
