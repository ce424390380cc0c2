#include "images/menu_data.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "images/images.h"
#include "textio/hex.h"
#include "textio/pass_io.h"

namespace dm {

namespace {

constexpr int kMenuFields = 4;
constexpr int kMaxLinkDigits = 8;  // the widest value a 32-bit field holds

}  // namespace

std::uint32_t readMenuField(std::string_view field) {
  std::size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  if (i + 2 < field.size() && field[i] == '0' && (field[i + 1] == 'x' || field[i + 1] == 'X') && isHexDigit(field[i + 2]))
    i += 2;
  std::int64_t value = 0;
  for (; i < field.size() && isHexDigit(field[i]); ++i) {
    value = value * 16 + hexDigitValue(field[i]);
    if (value > 0x80000000LL) value = 0x80000000LL;
  }
  if (negative) value = -value;
  if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
}

void convertMenuIndex(std::istream& in, std::ostream& out, const MenuParams& block) {
  const int widths[kMenuFields] = {block.bytes[0], block.bytes[1], block.bytes[2], block.bytes[2]};
  const int linkDigits = std::min<int>(block.bytes[2], kMaxLinkDigits);
  std::uint32_t allF = 0;
  for (int i = 0; i < linkDigits; ++i) allF = allF << 4 | 0xF;

  std::string line, text;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string_view> fields;
    std::string_view rest = line;
    while (static_cast<int>(fields.size()) < kMenuFields) {
      std::size_t tab = rest.find('\t');
      fields.push_back(rest.substr(0, tab));
      if (tab == std::string_view::npos) break;
      rest.remove_prefix(tab + 1);
    }
    if (fields[0].rfind("LV", 0) == 0) fields[0].remove_prefix(2);
    const int count = fields.size() == kMenuFields ? kMenuFields : 3;
    text.clear();
    for (int f = 0; f < count; ++f) {
      std::uint32_t value = f < static_cast<int>(fields.size()) ? readMenuField(fields[f]) : 0;
      if (f == 3 && value == 0xFFFF) value = allF;
      if (f > 0) text.push_back('\t');
      appendHex(text, value, widths[f]);
    }
    text.push_back('\n');
    out << text;
  }
}

void convertMenuIndexFile(const MenuIndexContext& ctx) {
  const std::filesystem::path source = ctx.paths.middata / workfiles::kMenuFolder / workfiles::kMenuIndex;
  std::ifstream in = openPassInput(source);
  const std::filesystem::path target = workfiles::menuIndexOutPath(ctx.paths);
  std::error_code ec;
  std::filesystem::create_directories(target.parent_path(), ec);
  std::ofstream out = openPassOutput(target);
  convertMenuIndex(in, out, ctx.block);
  closePassOutput(out, target);
}

}  // namespace dm
