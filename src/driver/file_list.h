// The list of files of a drill, as the window and the batch mode collect it:
// one entry per file name (a second file of the same name replaces the first
// only when the user agrees), folders added recursively.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "driver/run_state.h"

namespace dm {

// Asks whether a newly added file replaces the listed file of the same name.
class ReplaceConfirmer {
 public:
  virtual ~ReplaceConfirmer() = default;
  virtual bool confirmReplace(const fs::path& newPath, const fs::path& listedPath) = 0;
};

// True for the accepted extensions ".rmp", ".txt", ".bmp", ".jpg", ".jpeg",
// ".gif" and ".mp3", in any case.
bool isAcceptedFile(const fs::path& path);

class FileList {
 public:
  // Adds an existing file. A file whose name (compared exactly) was listed
  // before and is still listed replaces that entry at its position only
  // when `confirm` agrees. Returns true when the list changed.
  bool addFile(const fs::path& path, ReplaceConfirmer& confirm);

  // Adds every accepted, non-empty file below `folder`, depth first, in name
  // order. Symbolic links to folders are not followed (no loops). Returns
  // true when the list changed.
  bool scanFolder(const fs::path& folder, ReplaceConfirmer& confirm);

  // Removes the entries at the given indexes. Listed names are kept.
  void remove(std::vector<std::size_t> indexes);

  const std::vector<fs::path>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }

 private:
  std::vector<fs::path> entries_;
  std::set<std::string> listedNames_;
};

// Display width of a text: 2 per character above U+0080, 1 otherwise.
int displayWidth(std::u16string_view text);

}  // namespace dm
