// The package of a workbook: a zip archive read through libzip, one part at a
// time and in pieces, with a budget on the bytes it unpacks so that a small
// archive cannot expand into gigabytes (a zip bomb).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

struct zip;

namespace dm::workbook {

class ZipPackage {
 public:
  // Opens the archive at `path`; `label` names the workbook in messages.
  // Throws PassFailure when it is no readable zip archive.
  ZipPackage(const std::filesystem::path& path, std::string label, std::uint64_t unpackBudget);
  // Opens an archive held in memory (`bytes` must outlive the package).
  ZipPackage(std::string_view bytes, std::string label, std::uint64_t unpackBudget);
  ~ZipPackage();
  ZipPackage(const ZipPackage&) = delete;
  ZipPackage& operator=(const ZipPackage&) = delete;

  // True when the archive holds a part of this name (exactly as stored).
  bool has(const std::string& part) const;

  // Hands the unpacked bytes of `part` to `piece`, in pieces of up to 64 KiB.
  // Throws PassFailure when the part is missing, encrypted, damaged, or when
  // the bytes unpacked so far from the whole package pass the budget.
  void read(const std::string& part, const std::function<void(std::string_view)>& piece);

  // The whole part (within the same budget).
  std::string readAll(const std::string& part);

  const std::string& label() const { return label_; }

 private:
  void open(struct zip* archive, int error);

  struct zip* archive_ = nullptr;
  std::string label_;
  std::uint64_t budget_;
  std::uint64_t unpacked_ = 0;
};

}  // namespace dm::workbook
