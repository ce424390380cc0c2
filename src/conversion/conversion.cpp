#include "conversion/conversion.h"

#include <cstdint>
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
#include "textio/wide_line.h"

namespace dm {

namespace fs = std::filesystem;
namespace wf = workfiles;

void resetConversion(ConversionState& conversion) { conversion.reset(); }

namespace {

// The passes of convertDrill, each one step of its progress.
constexpr std::uint64_t kConversionSteps = 8;

// Drill_2.uni -> Drill.tm1: the settings line, the heading line, one entry
// per record, then the legend.
void writeEntries(const ConversionContext& context, const PictureConverter& convert) {
  const fs::path inPath = wf::checkedSourcePath(context.paths);
  const fs::path outPath = context.paths.trash / wf::kStage1;
  std::ifstream in = openPassInput(inPath);
  BackgroundOutput out(outPath);
  copyByteOrderMark(in, out);
  {
    WideLineReader reader(in);
    WideLineWriter writer(out);
    std::u16string settings, line, entry;
    reader.read(settings);
    readSettings(context, convert, settings);
    reader.read(line);  // the column headings
    while (reader.read(line)) {
      if (isBlankWideLine(line)) continue;
      entry.clear();
      writeRecord(line, entry);
      writer.write(entry);
    }
    entry.clear();
    writeLegend(settings, entry);
    writer.write(entry);
  }
  out.close();
}

}  // namespace

void convertDrill(const ConversionContext& context, const PictureConverter& convert) {
  const fs::path& trash = context.paths.trash;
  std::uint64_t done = 0;
  auto stepDone = [&] { context.sink.progress(++done, kConversionSteps); };
  writeEntries(context, convert);
  stepDone();
  fieldPass(trash / wf::kStage1, trash / wf::kStage2, context, convert);
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
