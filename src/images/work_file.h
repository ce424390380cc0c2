// File helpers of the image builders: range checks of image fields, moving
// an image into a folder and copying a file's bytes into an open image. The
// work files are read by their exact names from the work-file catalogue.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace dm {

namespace fs = std::filesystem;

// The size of a regular file, or nullopt when it cannot be read.
std::optional<std::uint64_t> regularFileSize(const fs::path& path);

// Moves `file` into `folder` (replacing a file of the same name); throws
// PassFailure when that fails.
void moveIntoFolder(const fs::path& file, const fs::path& folder);

// Appends the first `size` bytes of `file` to `out`; a file that is missing
// or shorter is completed with zero bytes. Returns false when the file
// could not be opened.
bool copyFileBytes(const fs::path& file, std::uint64_t size, std::ostream& out);

// Upper-case ASCII copy.
std::string upperAscii(std::string_view text);
// Lower-case ASCII copy.
std::string lowerAscii(std::string_view text);

// Flushes `out`; throws PassFailure "can't write file <path>: <system's
// reason>" when it has failed.
void requireWritten(std::ostream& out, const fs::path& path);

}  // namespace dm
