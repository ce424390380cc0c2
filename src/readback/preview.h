// The preview of a delivered container: every entry as the device presents
// it (menu tree, questions, choices with the answer pages their jump
// addresses name, pictures and sounds), decoded from the container alone and
// written as a self-contained web page folder or as JSON.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "readback/readback.h"

namespace dm::readback {

// One answer choice: its lines (the first holds the jump label) and where
// its jump address points.
struct PreviewChoice {
  std::vector<std::u16string> lines;
  bool hasJump = false;
  std::uint32_t targetEntry = 0;
  std::uint32_t targetLine = 0;   // counted from 1 at the entry's first line
  bool landsOnAnswer = false;     // the address names the first line of an answer page
};

// One entry of the drill body, its lines sorted into the parts of a
// question. An entry that is no question (the legend, the how-to-use text)
// keeps all its text lines in `other`.
struct PreviewEntry {
  std::uint32_t number = 0;
  bool isQuestion = false;
  std::vector<std::u16string> categories;
  std::u16string heading;             // e.g. 問題：1
  std::u16string timeLimit;           // mm:ss or empty
  std::vector<std::u16string> question;
  std::u16string rightAnswer;         // the answer number as stored (hex digit; 0 is choice 10)
  std::vector<PreviewChoice> choices;
  std::u16string answerHeading;
  std::u16string answerLabel;         // e.g. 正解：
  std::vector<std::u16string> answer;
  std::u16string commentLabel;        // e.g. 解説：
  std::vector<std::u16string> comment;
  std::vector<std::u16string> other;
  // The choice (1-10) the right answer number names; 0 when none.
  int rightChoice() const;
};

struct PreviewMenuNode {
  std::u16string caption;
  std::uint32_t type = 0;  // 0 entry, 1 category, 3 test unit, 5 clear item
  std::int64_t entry = -1; // for type 0
  std::vector<PreviewMenuNode> children;
};

struct PreviewModel {
  std::string name;                  // the container's file name
  Report report;                     // checks and description
  std::vector<PreviewEntry> entries;
  PreviewMenuNode menu;
  std::string bodyProblem;           // why the body decoded only in part
  std::string menuProblem;
  std::map<std::uint32_t, std::string_view> sounds;  // sound number -> MP3 bytes (views of the input)
  // Copies of the picture images the model reads pictures from.
  std::string fontImage;
  std::string extBmpImage;
  std::vector<std::string> failedChecks() const;
};

// Decodes `delivered` (a whole container in memory, which must outlive the
// model's sound views) as far as it decodes. `name` is shown as its title.
PreviewModel buildPreview(std::string_view delivered, std::string name);

// The files of the preview folder: relative path -> bytes ("index.html",
// "preview.css", "media/…"). Pictures that do not decode become a
// placeholder on the page.
std::map<std::string, std::string> renderPreview(const PreviewModel& model);

// The same content as data.
void printPreviewJson(const PreviewModel& model, std::ostream& out);

struct PreviewOptions {
  bool json = false;  // write preview.json beside index.html as well
};

struct PreviewResult {
  bool written = false;       // the folder was written
  std::string problem;        // why not, or what went wrong
  std::string folder;         // the folder written
  std::size_t questions = 0;
  std::size_t pictures = 0;   // picture files written
  std::size_t sounds = 0;     // sound files written
  std::vector<std::string> failedChecks;
};

// The default folder of a preview: `<name>-preview` beside the container.
std::string defaultPreviewFolder(const std::string& containerPath);

// Reads the container at `containerPath` and writes its preview into
// `outFolder` (created when missing; files of an earlier preview there are
// replaced). A container that fails verification is previewed as far as it
// decodes, with the failed checks at the top of the page.
PreviewResult writePreview(const std::string& containerPath, const std::string& outFolder,
                           const PreviewOptions& options = {});

// The text of `drillmaker preview --help`.
std::string previewUsageText();

// `drillmaker preview FILE.drl [-o FOLDER] [--json]`: writes the preview and
// names it on `out`; with --json the content goes to `out` as JSON instead
// and no folder is written. Returns 0 when every check of the container
// holds, 1 when one does not (the preview is still written) or the file is
// no container, 2 for a usage error or a file that cannot be read or
// written.
int runPreview(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace dm::readback
