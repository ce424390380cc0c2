#include "dictcompiler/split_file.h"

#include <cerrno>
#include <fstream>
#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/tokenizer.h"

namespace dm {

void appendUtf16le(std::string& bytes, std::u16string_view text) {
  const std::size_t at = bytes.size();
  bytes.resize(at + 2 * text.size());
  char* p = bytes.data() + at;
  if constexpr (std::endian::native == std::endian::little) {
    if (!text.empty()) std::memcpy(p, text.data(), 2 * text.size());
  } else {
    for (char16_t c : text) {
      *p++ = static_cast<char>(c & 0xFF);
      *p++ = static_cast<char>(c >> 8);
    }
  }
}

std::string encodeSplitFile(const Dictionary& dict, const std::vector<SplitLine>& lines) {
  std::string bytes = "\xFF\xFE";
  std::size_t total = 2;
  for (const SplitLine& line : lines) total += 2 * (dict.name.size() + 12 + dict.tags[line.tag].wname.size() + line.text.size());
  bytes.reserve(total);
  const std::u16string name = widen(dict.name);
  std::u16string head;
  for (const SplitLine& line : lines) {
    // dictionary TAB line number (8 hex digits) TAB tag TAB text LF
    head = name;
    head += u'\t';
    for (int shift = 28; shift >= 0; shift -= 4) head += u"0123456789abcdef"[(line.lineNo >> shift) & 0xF];
    head += u'\t';
    head += dict.tags[line.tag].wname;
    head += u'\t';
    appendUtf16le(bytes, head);
    appendUtf16le(bytes, line.text);
    appendUtf16le(bytes, u"\n");
  }
  return bytes;
}

void writeSplitFile(const std::filesystem::path& path, const Dictionary& dict, const std::vector<SplitLine>& lines) {
  writeWholeFile(path, encodeSplitFile(dict, lines));
}

std::string readWholeFile(const std::filesystem::path& path, const CompileState& s, const std::string& failure) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    s.print("%s", failure.c_str());
    throw PassFailure(failure);
  }
  // In large blocks: the files read here hold many megabytes.
  std::string bytes;
  std::size_t got = 0;
  for (;;) {
    bytes.resize(std::max<std::size_t>(got + (1 << 16), 2 * got));
    const std::streamsize n = in.rdbuf()->sgetn(bytes.data() + got, static_cast<std::streamsize>(bytes.size() - got));
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

void writeWholeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure(platform::withSystemError("can't open file " + path.string() + "\n", errno));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw PassFailure(platform::withSystemError("can't write file " + path.string() + "\n", errno));
}

}  // namespace dm
