#include "driver/work_tree.h"

#include <array>
#include <cerrno>
#include <system_error>
#include <vector>

#include "platform/platform.h"

namespace dm {

namespace {

// A missing folder is created; an existing one loses its own files. A
// symbolic link standing in for a folder is replaced by a real folder, so
// nothing outside the tree is ever emptied.
void ensureFolder(const fs::path& folder) {
  std::error_code ec;
  fs::file_status st = fs::symlink_status(folder, ec);
  if (fs::is_symlink(st)) {
    fs::remove(folder, ec);
    st = fs::file_status(fs::file_type::not_found);
  }
  if (fs::is_directory(st)) {
    platform::deleteFilesIn(folder);
  } else {
    if (fs::exists(st)) fs::remove(folder, ec);
    fs::create_directory(folder, ec);
  }
}

using workfiles::kDestinFolders;
using workfiles::kMiddataFolders;
using workfiles::kMiddataIndexFolders;

bool canEnter(const fs::path& folder) {
  std::error_code ec;
  return fs::is_directory(fs::symlink_status(folder, ec));
}

}  // namespace

void prepareWorkTree(RunState& state) {
  state.paths = WorkPaths::under(state.workBase);
  state.entryCount = 0;
  state.tagList.clear();

  std::error_code ec;
  // A TempUsr that is a link is replaced by a real folder, so the tree is
  // never built, nor anything emptied, where the link points. (A file there
  // is left alone: the run then fails when it cannot write its work files.)
  if (!canEnter(state.paths.root)) {
    if (fs::is_symlink(fs::symlink_status(state.paths.root, ec))) fs::remove(state.paths.root, ec);
    fs::create_directories(state.paths.root, ec);
  }

  ensureFolder(state.paths.middata);
  ensureFolder(state.paths.destin);
  ensureFolder(state.paths.trash);

  for (const char* name : kMiddataIndexFolders) ensureFolder(state.paths.middata / name);

  const fs::path sound = state.paths.middata / workfiles::kSoundFolder;
  if (!canEnter(sound)) {
    ensureFolder(sound);
    fs::create_directory(sound / workfiles::kSourceFolder, ec);
  } else {
    ensureFolder(sound / workfiles::kSourceFolder);
    platform::deleteFilesIn(sound);
  }
  for (const char* name : kMiddataFolders) ensureFolder(state.paths.middata / name);

  for (const char* name : kDestinFolders) ensureFolder(state.paths.destin / name);
}

WorkTreeProblem checkWorkTree(const WorkPaths& paths) {
  std::vector<fs::path> folders{paths.root, paths.middata, paths.destin, paths.trash};
  for (const char* name : kMiddataIndexFolders) folders.push_back(paths.middata / name);
  folders.push_back(paths.middata / workfiles::kSoundFolder);
  folders.push_back(paths.middata / workfiles::kSoundFolder / workfiles::kSourceFolder);
  for (const char* name : kMiddataFolders) folders.push_back(paths.middata / name);
  for (const char* name : kDestinFolders) folders.push_back(paths.destin / name);
  // Parents come before their sub-folders, so the first folder named is the
  // one that stops the run (a read-only TempUsr, not its missing Middata).
  for (const fs::path& folder : folders) {
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(folder, ec);
    if (fs::exists(st) && !fs::is_directory(st)) return {folder, ENOTDIR};
    if (!fs::exists(st)) return {folder, ec ? ec.value() : ENOENT};
    if (const int err = platform::folderWriteError(folder)) return {folder, err};
  }
  return {};
}

void deleteWorkFiles(const RunState& state) {
  const fs::path root = WorkPaths::under(state.workBase).root;
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(root, ec))) return;
  if (!platform::isInside(root, state.workBase)) return;
  platform::deleteFilesBelow(root);
}

std::string sourceName(const fs::path& sourceTextPath) {
  std::string name = sourceTextPath.filename().string();
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

fs::path deliveredContainerPath(const fs::path& folder, const std::string& name) {
  return folder / (name + ".drl");
}

fs::path deliveredReportPath(const fs::path& folder, const std::string& name) {
  return folder / ("error-" + name + ".txt");
}

fs::path workContainerPath(const RunState& state) {
  return workfiles::containerPath(state.paths);
}

fs::path workReportPath(const RunState& state) {
  return workfiles::checkReportPath(state.paths);
}

}  // namespace dm
