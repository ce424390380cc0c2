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

namespace dm::readback {

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
  // Empty when the file's size, magic, header check value and total size are
  // those of a drill container; otherwise why it is none. The report then
  // holds only the checks of the header, as nothing after it means anything.
  std::string notAContainer;
  bool allOk() const;
};

// The header as the writer left it before scrambling (the first 416 bytes of
// the work file), restored from a delivered file. Bytes 322-335 and 350-351,
// which the marker and the check value replace, come back as zero.
std::string unscrambleHeader(std::string_view delivered);

// Positioned reads of a delivered container.
class ContainerSource {
 public:
  virtual ~ContainerSource() = default;
  virtual std::uint64_t size() const = 0;
  // Fills `out` with the `n` bytes at `at`, all of which lie before size();
  // throws std::runtime_error when they cannot be read.
  virtual void read(std::uint64_t at, std::size_t n, char* out) const = 0;
};

// Verifies and describes a delivered container; with `withEntries` also
// returns the decoded text of every entry. Reads the header and the tail,
// passes over the rest in bounded windows for the sums, and holds no more
// in memory than the component images the directory declares (and only
// when they lie inside the file). Throws what `source` throws.
Report inspectContainer(const ContainerSource& source, bool withEntries = false);
// The same for a container held in memory.
Report inspectContainer(std::string_view delivered, bool withEntries = false);

// Writes the report as text lines (one per check, then the description and
// the entries when decoded) or as JSON.
void printText(const Report& report, std::ostream& out);
void printJson(const Report& report, std::ostream& out);

// The text of `drillmaker inspect --help`.
std::string inspectUsageText();

// `drillmaker inspect FILE.drl [--entries] [--json]`: returns 0 when every check holds,
// 1 otherwise, 2 for a usage error or a file it refuses: one that cannot be
// read, is not a regular file (a directory, a FIFO, a device) or has 4 GiB
// or more, larger than any container. A file that is no drill container
// (Report::notAContainer) is named with the reason in one line on `err`,
// nothing on `out`, status 1. With -h or --help it writes its usage on `out`
// and returns 0.
int runInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace dm::readback
