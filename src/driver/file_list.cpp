#include "driver/file_list.h"

#include <algorithm>
#include <functional>

#include "driver/prebuild.h"
#include "driver/work_tree.h"
#include "textio/case_fold.h"

namespace dm {

bool isAcceptedFile(const fs::path& path) {
  const std::string ext = lowerCaseExtension(path.filename().string());
  return ext == ".rmp" || ext == ".txt" || ext == ".xlsx" || ext == ".ods" || ext == ".bmp" || ext == ".jpg" || ext == ".jpeg" || ext == ".gif" ||
         ext == ".mp3";
}

bool isReportOf(const fs::path& file, const fs::path& source) {
  return isSourceFile(source) && file == deliveredReportPath(source.parent_path(), sourceName(source));
}

bool FileList::addFile(const fs::path& path, ReplaceConfirmer& confirm) {
  std::error_code ec;
  if (!fs::exists(path, ec)) return false;
  // Running twice in the drill folder must not take the first run's report
  // for a second source text.
  for (const fs::path& entry : entries_)
    if (isReportOf(path, entry)) return false;
  const std::string name = path.filename().string();
  bool added = false;
  if (listedNames_.count(name) && !entries_.empty()) {
    for (fs::path& entry : entries_) {
      if (entry.filename().string() != name) continue;
      if (!confirm.confirmReplace(path, entry)) return false;
      entry = path;
      added = true;
      break;
    }
  }
  if (!added) {
    listedNames_.insert(name);
    entries_.push_back(path);
  }
  std::erase_if(entries_, [&](const fs::path& e) { return isReportOf(e, path); });
  return true;
}

bool FileList::scanFolder(const fs::path& folder, ReplaceConfirmer& confirm) {
  bool changed = false;
  // Depth first with an explicit stack of sorted folder listings.
  struct Level {
    std::vector<fs::directory_entry> items;
    std::size_t next = 0;
  };
  unreadable_.clear();
  auto list = [this](const fs::path& dir) {
    Level level;
    std::error_code ec;
    fs::directory_iterator it(dir, ec), end;
    for (; !ec && it != end; it.increment(ec)) level.items.push_back(*it);
    if (ec) unreadable_.push_back({dir, ec});
    std::sort(level.items.begin(), level.items.end(),
              [](const auto& a, const auto& b) { return a.path().filename() < b.path().filename(); });
    return level;
  };
  std::vector<Level> stack;
  stack.push_back(list(folder));
  while (!stack.empty()) {
    Level& top = stack.back();
    if (top.next >= top.items.size()) {
      stack.pop_back();
      continue;
    }
    const fs::directory_entry item = top.items[top.next++];
    std::error_code ec;
    fs::file_status st = item.symlink_status(ec);
    if (ec) {
      unreadable_.push_back({item.path(), ec});
      continue;
    }
    if (fs::is_directory(st)) {
      stack.push_back(list(item.path()));
      continue;
    }
    if (!isAcceptedFile(item.path())) continue;
    if (!fs::is_regular_file(item.status(ec)) || ec) continue;
    if (fs::file_size(item.path(), ec) == 0 || ec) continue;
    changed |= addFile(item.path(), confirm);
  }
  return changed;
}

void FileList::remove(std::vector<std::size_t> indexes) {
  std::sort(indexes.begin(), indexes.end(), std::greater<>());
  indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
  for (std::size_t i : indexes)
    if (i < entries_.size()) entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
}

int displayWidth(std::u16string_view text) {
  int width = 0;
  for (char16_t c : text) width += c > 128 ? 2 : 1;
  return width;
}

}  // namespace dm
