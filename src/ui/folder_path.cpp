#include "ui/folder_path.h"

namespace dm::ui {

namespace {

bool isValidComponent(std::string_view c) {
  if (c.empty()) return false;
  auto edge = [](char ch) { return ch == '\t' || ch == ' ' || ch == '.'; };
  if (edge(c.front()) || edge(c.back())) return false;
  return c.find_first_of("\"*:<>?\\|") == std::string_view::npos;
}

}  // namespace

bool isValidFolderPath(std::string_view path) {
  if (path.empty() || path.front() != '/') return false;
  std::string_view rest = path.substr(1);
  if (rest.empty()) return true;
  while (true) {
    const std::size_t slash = rest.find('/');
    if (!isValidComponent(rest.substr(0, slash))) return false;
    if (slash == std::string_view::npos) return true;
    rest.remove_prefix(slash + 1);
  }
}

std::error_code createFolderPath(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path built;
  for (const fs::path& part : path) {
    built /= part;
    if (fs::is_directory(built, ec)) continue;
    if (fs::create_directory(built, ec)) continue;
    if (ec) return ec;
    if (!fs::is_directory(built, ec)) return ec ? ec : std::make_error_code(std::errc::not_a_directory);
  }
  return {};
}

}  // namespace dm::ui
