// The menu data pass (Drill.tm2 -> Drill.cln1 and Drill_menu.dat): takes the
// category lines and the legend mark out of the entries and writes one menu
// source line per question: category 1, 2, 3, label, entry number.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace dm {

inline constexpr std::u16string_view kPictureLabel = u"(画)";
inline constexpr std::u16string_view kSoundLabel = u"(音)";

struct MenuDataResult {
  std::uint32_t menuLines = 0;                // menu source lines written
  std::optional<std::uint32_t> legendEntry;   // entry number of the legend
};

// `value` without its sound codes (U+E062 ... U+E063).
std::u16string withoutSoundCodes(std::u16string_view value);

// Copies the mark to both outputs and runs the pass.
MenuDataResult menuDataPass(std::istream& in, std::ostream& clean, std::ostream& menu);
MenuDataResult menuDataPass(const std::filesystem::path& in, const std::filesystem::path& clean,
                            const std::filesystem::path& menu);

}  // namespace dm
