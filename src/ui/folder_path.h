// The rules of the folder chooser for a folder path the user confirmed:
// which paths are acceptable, and the creation of a missing folder.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace dm::ui {

// True for an absolute path ("/" alone included) whose every component is
// non-empty, neither begins nor ends with a TAB, a space or a '.', and holds
// none of  " * : < > ? \ |  .
bool isValidFolderPath(std::string_view path);

// Creates each missing folder of `path` in turn. Returns the first failure.
std::error_code createFolderPath(const std::filesystem::path& path);

}  // namespace dm::ui
