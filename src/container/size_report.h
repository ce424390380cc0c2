// The two size reports of the final assembly, usrDict.out (detail) and
// usrDict.sum (summary): UTF-16LE text without a byte-order mark.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace dm::container {

namespace fs = std::filesystem;

// "%-30s:%08d(Size:%08.2f KB)\n" of a name and a byte count.
std::string sizeLine(std::string_view name, std::uint32_t bytes);

class SizeReports {
 public:
  SizeReports() = default;
  // Creates (replaces) both reports; a report that cannot be created gets no
  // lines.
  SizeReports(const fs::path& detail, const fs::path& summary);

  // 29 '-', the name, 27 '-'.
  void title(std::string_view name);
  // A size line in both reports; the count is added to the total.
  void size(std::string_view name, std::uint32_t bytes);
  // The total line and the closing dashes; closes both reports.
  void finish();

  std::uint32_t total() const { return total_; }

 private:
  void write(std::string_view text);

  std::ofstream detail_, summary_;
  std::uint32_t total_ = 0;
};

}  // namespace dm::container
