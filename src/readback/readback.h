// Read-back of a delivered container: undoes the header scrambling, verifies
// every integrity value and the layout of each component image, and
// describes what the device will show. This reader is written from the file
// format alone and shares no code or tables with the writers, so that a
// misunderstanding in a writer shows up as a failed check.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace dm::inspect {

struct Check {
  std::string name;    // what was checked
  bool ok = false;
  std::string detail;  // the finding, or what was seen
};

struct Component {
  int slot = 0;
  std::uint16_t id = 0;
  std::string name;
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
};

struct Description {
  std::string buildDate;          // "YYYY-MM-DD" from the trailer
  std::string menuLocation;       // UTF-8
  bool hasHowToUse = false;
  std::uint32_t howToUseEntry = 0;
  std::uint32_t entries = 0;      // from the item address image
  std::uint32_t pictures = 0;     // picture numbers of the font image
  std::uint32_t sounds = 0;       // entries of the sound image
  bool soundFlag = false;
  std::uint8_t coverFlags = 0;
  std::string guid;
  std::vector<Component> components;
};

// One decoded entry: its category path from the menu and its non-empty
// lines, device codes shown readably.
struct EntryText {
  std::vector<std::string> categories;
  std::vector<std::string> lines;
};

struct Report {
  std::vector<Check> checks;
  Description description;
  std::vector<EntryText> entries;  // filled when asked for
  bool allOk() const;
};

// The header as the writer left it before scrambling (the first 416 bytes of
// the work file), restored from a delivered file. Bytes 322-335 and 350-351,
// which the marker and the check value replace, come back as zero.
std::string unscrambleHeader(std::string_view delivered);

// Verifies and describes a delivered container held in memory; with
// `withEntries` also returns the decoded text of every entry.
Report inspectContainer(std::string_view delivered, bool withEntries = false);

// Writes the report as text lines (one per check, then the description and
// the entries when decoded) or as JSON.
void printText(const Report& report, std::ostream& out);
void printJson(const Report& report, std::ostream& out);

// `drillmaker inspect FILE.drl [--entries] [--json]`: returns 0 when every check holds,
// 1 otherwise, 2 for a usage error or an unreadable file.
int runInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace dm::inspect
