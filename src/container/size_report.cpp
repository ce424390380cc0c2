#include "container/size_report.h"

#include <cstdio>

#include "textio/wide_line.h"
#include "textio/format.h"

namespace dm::container {

std::string sizeLine(std::string_view name, std::uint32_t bytes) {
  return formatted("%-30.*s:%08u(Size:%08.2f KB)\n", static_cast<int>(std::min<std::size_t>(name.size(), 200)),
                   name.data(), bytes, bytes / 1024.0);
}

SizeReports::SizeReports(const fs::path& detail, const fs::path& summary)
    : detail_(detail, std::ios::binary | std::ios::trunc), summary_(summary, std::ios::binary | std::ios::trunc) {}

void SizeReports::write(std::string_view text) {
  const std::u16string wide = utf8ToUtf16(text);
  for (std::ofstream* out : {&detail_, &summary_})
    if (out->is_open()) writeWideLine(*out, wide);
}

void SizeReports::title(std::string_view name) {
  write(std::string(29, '-') + std::string(name) + std::string(27, '-') + "\n");
}

void SizeReports::size(std::string_view name, std::uint32_t bytes) {
  write(sizeLine(name, bytes));
  total_ += bytes;
}

void SizeReports::finish() {
  write("\n" + sizeLine("==> Total:", total_));
  write(std::string(58, '-') + "\n");
  detail_.close();
  summary_.close();
}

}  // namespace dm::container
