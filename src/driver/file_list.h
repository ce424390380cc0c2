// The list of files of a drill, as the window and the batch mode collect it:
// one entry per file name (a second file of the same name replaces the first
// only when the user agrees), folders added recursively.
#pragma once

#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "driver/run_state.h"

namespace dm {

// Asks whether a newly added file replaces the listed file of the same name.
class ReplaceConfirmer {
 public:
  virtual ~ReplaceConfirmer() = default;
  virtual bool confirmReplace(const fs::path& newPath, const fs::path& listedPath) = 0;
};

// True for the accepted extensions ".rmp", ".txt", ".xlsx", ".ods", ".bmp",
// ".jpg", ".jpeg", ".gif" and ".mp3", in any case.
bool isAcceptedFile(const fs::path& path);

// True when `file` is the check report drillmaker delivers for the source
// `source` (a text or a workbook) in the same folder: "error-<source
// name>.txt" beside it.
bool isReportOf(const fs::path& file, const fs::path& source);

// A folder a scan could not read, or a name in one it could not examine,
// with the system's error.
struct FolderProblem {
  fs::path folder;
  std::error_code error;
};

class FileList {
 public:
  // Adds an existing file. A file whose name (compared exactly) was listed
  // before and is still listed replaces that entry at its position only
  // when `confirm` agrees. Returns true when the list changed.
  // drillmaker's own check report beside a listed source text is left out;
  // one listed before its source is taken out when the source is added.
  bool addFile(const fs::path& path, ReplaceConfirmer& confirm);

  // Adds every accepted, non-empty file below `folder`, depth first, in name
  // order. Symbolic links to folders are not followed (no loops). Returns
  // true when the list changed. What it could not read, `folder` itself
  // included, is kept in unreadableFolders().
  bool scanFolder(const fs::path& folder, ReplaceConfirmer& confirm);

  // The folders (and names) the last scanFolder could not read, in the
  // order met.
  const std::vector<FolderProblem>& unreadableFolders() const { return unreadable_; }

  // Removes the entries at the given indexes. Listed names are kept.
  void remove(std::vector<std::size_t> indexes);

  const std::vector<fs::path>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }

 private:
  std::vector<fs::path> entries_;
  std::set<std::string> listedNames_;
  std::vector<FolderProblem> unreadable_;
};

// Display width of a text: 2 per character above U+0080, 1 otherwise.
int displayWidth(std::u16string_view text);

}  // namespace dm
