// The output file of a pass, written behind it: the pass fills blocks of
// memory and a thread of the output's own writes them to the file in order,
// so the pass goes on converting while the system copies its last block.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>

namespace dm {

class BackgroundOutput : public std::ostream {
 public:
  // Creates (or truncates) `path` for binary writing; throws PassFailure
  // "can't open file PATH: REASON" when it cannot (as openPassOutput does).
  // When no thread can be started, the blocks are written by the caller.
  explicit BackgroundOutput(const std::filesystem::path& path);
  BackgroundOutput(const BackgroundOutput&) = delete;
  BackgroundOutput& operator=(const BackgroundOutput&) = delete;
  // Finishes a file not closed, dropping any write error.
  ~BackgroundOutput() override;

  // Writes what is left, waits for the thread and closes the file; a write
  // error on any block ends the pass with PassFailure "can't write file
  // PATH: REASON". A second close does nothing.
  void close();

  class Blocks;

 private:
  std::unique_ptr<Blocks> blocks_;
};

}  // namespace dm
