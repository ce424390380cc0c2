#include "conversion/conversion.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <system_error>

#include "conversion/balance_pass.h"
#include "conversion/entry_writer.h"
#include "conversion/field_pass.h"
#include "conversion/jump_pass.h"
#include "conversion/menu_data_pass.h"
#include "conversion/menu_tree.h"
#include "conversion/settings_reader.h"
#include "conversion/split_pass.h"
#include "conversion/tag_code_pass.h"
#include "textio/background_output.h"
#include "textio/pass_io.h"
#include "textio/unit_search.h"
#include "textio/wide_line.h"
#include "textio/wide_stream.h"

namespace dm {

namespace fs = std::filesystem;
namespace wf = workfiles;

void resetConversion(ConversionState& conversion) { conversion.reset(); }

namespace {

// The passes of convertDrill, each one step of its progress.
constexpr std::uint64_t kConversionSteps = 8;

// Hands each line of `entries` (whole lines, as a line reader of the file
// would give them: up to and including an LF, at most kWideLineUnits - 1
// units) to the field pass and writes what it gives.
void fieldPassEntries(std::u16string_view entries, WideLineWriter& writer, std::u16string& converted,
                      const ConversionContext& context, const PictureConverter& convert) {
  constexpr std::size_t kLimit = kWideLineUnits - 1;
  std::size_t at = 0;
  while (at < entries.size()) {
    const std::size_t stop = entries.size() - at > kLimit ? at + kLimit : entries.size();
    const std::size_t lf = findUnit(entries.substr(0, stop), u'\n', at);
    const std::size_t end = lf == std::u16string_view::npos ? stop : lf + 1;
    converted.clear();
    fieldPassLine(entries.substr(at, end - at), converted, context, convert);
    writer.write(converted);
    at = end;
  }
}

// Drill_2.uni -> Drill.tm1: the settings line, the heading line, one entry
// per record, then the legend. In the same sweep each entry goes through the
// field pass (Drill.tm1 -> Drill.tm2) as fieldPass would take it from the
// file; every entry ends with its line end, so its lines are the file's. A
// record file without a whole mark is left to fieldPass. Returns true when
// Drill.tm2 is written too.
bool writeEntries(const ConversionContext& context, const PictureConverter& convert) {
  const fs::path inPath = wf::checkedSourcePath(context.paths);
  const fs::path outPath = context.paths.trash / wf::kStage1;
  const fs::path fieldPath = context.paths.trash / wf::kStage2;
  std::ifstream in = openPassInput(inPath);
  BackgroundOutput out(outPath);
  char mark[2];
  in.read(mark, 2);
  const std::streamsize markBytes = in.gcount();
  out.write(mark, markBytes);
  std::optional<BackgroundOutput> fielded;
  std::exception_ptr fieldFailure;
  {
    WideLineReader reader(in);
    WideLineWriter writer(out);
    std::optional<WideLineWriter> fieldWriter;
    std::u16string settings, line, entry, converted;
    reader.read(settings);
    readSettings(context, convert, settings);
    reader.read(line);  // the column headings
    if (markBytes == 2) {
      fielded.emplace(fieldPath);
      fielded->write(mark, 2);
      fieldWriter.emplace(*fielded);
    }
    auto put = [&] {
      writer.write(entry);
      if (!fieldWriter || fieldFailure) return;
      try {
        fieldPassEntries(entry, *fieldWriter, converted, context, convert);
      } catch (...) {
        // The record file is still written whole, as when the field pass
        // ran after it; the failure ends the conversion then.
        fieldFailure = std::current_exception();
      }
    };
    while (reader.read(line)) {
      if (isBlankWideLine(line)) continue;
      entry.clear();
      writeRecord(line, entry);
      put();
    }
    entry.clear();
    writeLegend(settings, entry);
    put();
  }
  if (fieldFailure) {
    out.close();
    std::rethrow_exception(fieldFailure);
  }
  out.close();
  if (fielded) fielded->close();
  return fielded.has_value();
}

}  // namespace

void convertDrill(const ConversionContext& context, const PictureConverter& convert) {
  const fs::path& trash = context.paths.trash;
  std::uint64_t done = 0;
  auto stepDone = [&] { context.sink.progress(++done, kConversionSteps); };
  const bool fielded = writeEntries(context, convert);
  stepDone();
  if (!fielded) fieldPass(trash / wf::kStage1, trash / wf::kStage2, context, convert);
  stepDone();

  const MediaRegistration& media = context.conversion.media;
  if (!media.monochromeList.empty()) context.options.bitmapPhase = 1;
  if (!media.soundList.empty()) context.options.soundPhase = 1;

  MenuDataResult menu = menuDataPass(trash / wf::kStage2, trash / wf::kClean1, trash / wf::kMenuSource);
  stepDone();
  tagToCodePass(trash / wf::kClean1, trash / wf::kClean2);
  stepDone();
  splitPass(trash / wf::kClean2, trash / wf::kClean6, context.sink);
  stepDone();
  jumpPass(trash / wf::kClean6, trash / wf::kClean7);
  stepDone();
  const fs::path compilerInput = wf::compilerInputPath(context.paths);
  {
    std::error_code ec;
    fs::create_directories(compilerInput.parent_path(), ec);
  }
  balancePass(trash / wf::kClean7, compilerInput);
  stepDone();

  generateMenu(context, menu.legendEntry);
  stepDone();
  if (menu.menuLines > 0) context.options.menuPhase = 1;
}

}  // namespace dm
