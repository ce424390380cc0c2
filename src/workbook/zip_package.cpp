#include "workbook/zip_package.h"

#include <zip.h>

#include <vector>

#include "platform/failure.h"

namespace dm::workbook {

namespace {

std::string errorText(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}

}  // namespace

ZipPackage::ZipPackage(const std::filesystem::path& path, std::string label, std::uint64_t unpackBudget)
    : label_(std::move(label)), budget_(unpackBudget) {
  int error = 0;
  open(zip_open(path.c_str(), ZIP_RDONLY, &error), error);
}

ZipPackage::ZipPackage(std::string_view bytes, std::string label, std::uint64_t unpackBudget)
    : label_(std::move(label)), budget_(unpackBudget) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  struct zip* archive = nullptr;
  int code = zip_error_code_zip(&error);
  if (source) {
    archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    code = zip_error_code_zip(&error);
    if (!archive) zip_source_free(source);
  }
  zip_error_fini(&error);
  open(archive, code);
}

void ZipPackage::open(struct zip* archive, int error) {
  if (!archive)
    throw PassFailure("The workbook " + label_ + " cannot be read: it is no intact zip package (" +
                      errorText(error) + ").");
  archive_ = archive;
}

ZipPackage::~ZipPackage() {
  if (archive_) zip_discard(archive_);
}

bool ZipPackage::has(const std::string& part) const { return zip_name_locate(archive_, part.c_str(), 0) >= 0; }

void ZipPackage::read(const std::string& part, const std::function<void(std::string_view)>& piece) {
  const zip_int64_t index = zip_name_locate(archive_, part.c_str(), 0);
  if (index < 0) throw PassFailure("The workbook " + label_ + " is damaged: its part " + part + " is missing.");
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(archive_, static_cast<zip_uint64_t>(index), 0, &st) == 0 &&
      (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
    throw PassFailure("The workbook " + label_ +
                      " is encrypted or protected by a password. Save it without a password and try again.");
  zip_file_t* file = zip_fopen_index(archive_, static_cast<zip_uint64_t>(index), 0);
  if (!file)
    throw PassFailure("The workbook " + label_ + " is damaged: its part " + part + " cannot be unpacked (" +
                      zip_strerror(archive_) + ").");
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
    if (n < 0) {
      const std::string reason = zip_file_strerror(file);
      zip_fclose(file);
      throw PassFailure("The workbook " + label_ + " is damaged: its part " + part + " cannot be unpacked (" +
                        reason + ").");
    }
    if (n == 0) break;
    unpacked_ += static_cast<std::uint64_t>(n);
    if (unpacked_ > budget_) {
      zip_fclose(file);
      throw PassFailure("The workbook " + label_ + " unpacks to more than " + std::to_string(budget_) +
                        " bytes; the largest workbook drillmaker reads unpacks to " + std::to_string(budget_) +
                        " bytes (" + std::to_string(budget_ >> 20) + " MiB).");
    }
    try {
      piece(std::string_view(buffer.data(), static_cast<std::size_t>(n)));
    } catch (...) {
      zip_fclose(file);
      throw;
    }
  }
  zip_fclose(file);
}

std::string ZipPackage::readAll(const std::string& part) {
  std::string bytes;
  read(part, [&](std::string_view piece) { bytes.append(piece); });
  return bytes;
}

}  // namespace dm::workbook
