// The warnings of a build about the user's pictures and sounds: a file that
// was listed (and there at the check) but cannot be read when the build
// comes to it. The build goes on without it; the warnings go into the run's
// summary (RunState::warnings).
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace dm {

// Why `path` cannot be opened for reading now (platform::openRegularFile);
// empty when it can.
std::error_code mediaReadFailure(const std::filesystem::path& path);

// "the picture PATH could not be read during the build (REASON); the default
// picture stands in its place"
std::string unreadablePictureWarning(const std::filesystem::path& path, const std::error_code& reason);

// "the cover picture PATH could not be read during the build (REASON); the
// drill has no cover picture"
std::string unreadableCoverWarning(const std::filesystem::path& path, const std::error_code& reason);

// "the sound PATH could not be read during the build (REASON); the drill
// plays nothing in its place"; `reading` false: "could not be copied" (the
// source opened, the copy in the work tree failed).
std::string unreadableSoundWarning(const std::filesystem::path& path, const std::error_code& reason,
                                   bool reading = true);

}  // namespace dm
