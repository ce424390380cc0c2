#include "container/container.h"

#include <algorithm>
#include <cstdio>

#include "container/index_image.h"
#include "container/item_addr_image.h"
#include "driver/run_state.h"
#include "images/dic_image.h"
#include "images/dict_header.h"
#include "images/menu_image.h"
#include "images/tagrule_image.h"
#include "images/wordlib_image.h"
#include "images/work_file.h"
#include "media/bitmap_ext_image.h"
#include "media/font_image.h"
#include "platform/failure.h"
#include "platform/platform.h"

namespace dm {

namespace {

using container::BuildHeader;

void require(int result, const fs::path& image) {
  if (result != 0) throw PassFailure("can't create file " + image.string());
}

// The drill body's files for the item address image: the entry address
// tables in the form the table writer made, and every word library's files.
void listBodyFiles(BuildHeader& h, const fs::path& dictDir) {
  if (h.tableWriterType != 0) h.entryAddressFiles = {"entry_add.seg", "entry_add.off"};
  else h.entryAddressFiles = {"entry_add.dat"};
  if (std::optional<DictHeader> dict = readDictHeader(dictDir / "dict.h")) {
    for (const std::string& lib : dict->libraries)
      for (const char* ext : {".dat", ".cod", ".sdx"}) h.wordLibFiles.push_back(lib + ext);
  }
}

}  // namespace

container::ContainerSettings containerSettingsOf(const RunState& state) {
  container::ContainerSettings s;
  s.howToUsePresent = state.intake.howToUsePresent != 0;
  s.entryCount = state.entryCount;
  const auto& location = state.conversion.menuLocation;
  s.menuLocation.assign(location.begin(), std::find(location.begin(), location.end(), u'\0'));
  const std::u16string& cover = state.conversion.coverPicture;
  s.coverPictureListed = !cover.empty() && findMedia(state.mediaList, cover) != nullptr;
  s.coverPictureColour = state.mediaPhases.coverPictureFlag != 0;
  s.otherPicturesListed = !state.conversion.media.otherList.empty();
  return s;
}

void assembleContainer(RunState& state) {
  const fs::path root = state.paths.root;
  const fs::path destin = state.paths.destin;
  const fs::path dictDir = destin / "Dict";
  const fs::path menuDir = destin / "Menu";

  container::SizeReports reports(root / "usrDict.out", root / "usrDict.sum");
  BuildHeader header = BuildHeader::from(state.options, root);
  reports.title(header.name);

  container::writeIndexImage(destin / "Index.bin", header);

  if (state.options.menuPhase) {
    require(BuildMenuImage(menuDir, MenuImageParams::from(state.params.menu), state.progress()), menuDir / "Menu.bin");
    header.bodyMarks[container::kSlotMenu] = 1;
    moveIntoFolder(menuDir / "Menu.bin", destin);
  }

  const fs::path ruleList = dictDir / "tag_rule.lst";
  if (!regularFileSize(ruleList)) throw PassFailure("can't open file " + ruleList.string());
  require(BuildTagRuleImage(dictDir, std::string(kInternalName) + "_tag.h", true, state.progress()), dictDir / "TagRule.bin");
  moveIntoFolder(dictDir / "TagRule.bin", destin);

  header.fontsMark = 0;
  header.iconsMark = 0;
  header.bitmapsMark = state.options.bitmapPhase;
  header.bitmapParams = state.params.bitmap;
  buildFontImage(state.paths);
  if (!state.conversion.media.otherList.empty()) buildExtBmpImage(state.paths);

  listBodyFiles(header, dictDir);
  require(container::buildItemAddrImage(dictDir, header), dictDir / "ItemAddr.bin");
  moveIntoFolder(dictDir / "ItemAddr.bin", destin);

  require(BuildDicImage(dictDir, kInternalName, state.progress()), dictDir / "Dic.bin");
  moveIntoFolder(dictDir / "Dic.bin", destin);
  require(BuildWordLibImage(dictDir), dictDir / "WordLib.bin");
  moveIntoFolder(dictDir / "WordLib.bin", destin);

  const container::ContainerSettings settings = containerSettingsOf(state);
  container::SlotTable slots = container::listComponents(destin, header, settings, reports);
  require(container::writeContainer(destin, slots, header, settings, reports, platform::newGuid(),
                                    platform::buildTime()),
          destin / (header.name + ".pre"));
  reports.finish();
}

}  // namespace dm
