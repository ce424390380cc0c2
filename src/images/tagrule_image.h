// TagRule.bin: per tag its word library number and, for the drill body, its
// display rule from the tag rule list.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "work/progress_sink.h"

namespace dm {

namespace fs = std::filesystem;

inline constexpr std::uint32_t kTagRuleHeaderBytes = 16;
inline constexpr std::uint32_t kTagRuleRuleBytes = 8;

// The number of tags of a tag header: its first four lines are skipped, then
// every line up to "#endif" that is not empty and does not begin with ':' or
// '/' counts.
std::uint32_t countTagDefines(std::istream& tagHeader);

// The 8 bytes of one tag rule line ("%04x\t%08x\t%02x\t%02x\t//name"): the
// hex digits before "//", blanks and TABs removed, two per byte, first digit
// high. Missing digits count as 0, digits beyond 16 are ignored.
std::string tagRuleBytes(std::string_view line);

// The image bytes: header (N as 16 bits, 14 zero bytes), N tag records
// (0xFFFF, library number or 0xFFFF when `libraryNumbers` is shorter) and,
// when `rules` is given, one 8-byte rule per rule line of it (empty lines and
// lines beginning with ':' or '/' are skipped). `ruleLines` receives the
// number of rules written.
std::string tagRuleImageBytes(std::uint32_t tagCount, const std::vector<int>& libraryNumbers, std::istream* rules,
                              std::uint32_t* ruleLines = nullptr);

// Builds <dir>/TagRule.bin from the tag header <dir>/<tagHeaderName>,
// <dir>/dict.h and, when `withRules`, <dir>/tag_rule.lst (logs "Tag Num is
// Error!" when its rule count differs from the tag count). Throws
// PassFailure "can't create file <TagRule.bin>" when the image cannot be
// created or written or the rule list cannot be opened.
void BuildTagRuleImage(const fs::path& dir, std::string_view tagHeaderName, bool withRules, ProgressSink& sink);

}  // namespace dm
