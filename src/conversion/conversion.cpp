#include "conversion/conversion.h"

#include <system_error>

#include "conversion/balance_pass.h"
#include "conversion/entry_writer.h"
#include "conversion/field_pass.h"
#include "conversion/jump_pass.h"
#include "conversion/menu_data_pass.h"
#include "conversion/menu_tree.h"
#include "textio/pass_io.h"
#include "conversion/settings_reader.h"
#include "conversion/split_pass.h"
#include "conversion/stage_files.h"
#include "conversion/tag_code_pass.h"
#include "driver/run_state.h"
#include "textio/wide_line.h"

namespace dm {

namespace sf = stagefiles;

void resetConversion(RunState& state) { state.conversion.reset(); }

namespace {

// Drill_2.uni -> Drill.tm1: the settings line, the heading line, one entry
// per record, then the legend.
void writeEntries(RunState& state, const PictureConverter& convert) {
  const fs::path inPath = sf::trash(state.paths, sf::kValidated);
  const fs::path outPath = sf::trash(state.paths, sf::kStage1);
  std::ifstream in = openPassInput(inPath);
  std::ofstream out = openPassOutput(outPath);
  copyByteOrderMark(in, out);
  {
    WideLineReader reader(in);
    WideLineWriter writer(out);
    std::u16string settings, line, entry;
    reader.read(settings);
    readSettings(state, convert, settings);
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
  closePassOutput(out, outPath);
}

}  // namespace

void convertDrill(RunState& state, const PictureConverter& convert) {
  const WorkPaths& p = state.paths;
  writeEntries(state, convert);
  fieldPass(sf::trash(p, sf::kStage1), sf::trash(p, sf::kStage2), state, convert);

  const MediaRegistration& media = state.conversion.media;
  if (!media.monochromeList.empty()) state.options.bitmapPhase = 1;
  if (!media.soundList.empty()) state.options.soundPhase = 1;

  MenuDataResult menu = menuDataPass(sf::trash(p, sf::kStage2), sf::trash(p, sf::kClean1),
                                     sf::trash(p, sf::kMenuSource));
  tagToCodePass(sf::trash(p, sf::kClean1), sf::trash(p, sf::kClean2));
  splitPass(sf::trash(p, sf::kClean2), sf::trash(p, sf::kClean6));
  jumpPass(sf::trash(p, sf::kClean6), sf::trash(p, sf::kClean7));
  {
    std::error_code ec;
    fs::create_directories(sf::compilerInput(p).parent_path(), ec);
  }
  balancePass(sf::trash(p, sf::kClean7), sf::compilerInput(p));

  generateMenu(state, menu.legendEntry);
  if (menu.menuLines > 0) state.options.menuPhase = 1;
}

}  // namespace dm
