#include "container/container.h"

#include <cstdio>

#include "container/index_image.h"
#include "container/item_addr_image.h"
#include "images/dic_image.h"
#include "images/dict_header.h"
#include "images/menu_image.h"
#include "images/tagrule_image.h"
#include "images/wordlib_image.h"
#include "images/work_file.h"
#include "platform/failure.h"
#include "platform/platform.h"

namespace dm {

namespace {

using container::BuildHeader;

// The drill body's files for the item address image: the entry address
// tables in the form the table writer made, and every word library's files.
void listBodyFiles(BuildHeader& h, const fs::path& dictDir) {
  if (h.tableWriterType != 0) h.entryAddressFiles = {workfiles::kEntryAddressSegments, workfiles::kEntryAddressOffsets};
  else h.entryAddressFiles = {workfiles::kEntryAddressData};
  if (std::optional<DictHeader> dict = readDictHeader(dictDir / workfiles::kDictHeader)) {
    for (const std::string& lib : dict->libraries)
      for (const char* ext : {workfiles::kWordListExt, workfiles::kCharCodeExt, workfiles::kWordIndexExt})
        h.wordLibFiles.push_back(lib + ext);
  }
}

}  // namespace

void assembleContainer(const AssemblyContext& context) {
  const fs::path root = context.paths.root;
  const fs::path destin = context.paths.destin;
  const fs::path dictDir = destin / workfiles::kDictFolder;
  const fs::path menuDir = destin / workfiles::kMenuFolder;

  container::SizeReports reports(workfiles::sizeReportPath(context.paths), workfiles::sizeSummaryPath(context.paths));
  BuildHeader header = BuildHeader::from(context.options, root);
  reports.title(header.name);

  container::writeIndexImage(destin / workfiles::kIndexImage, header);

  if (context.options.menuPhase) {
    BuildMenuImage(menuDir, MenuImageParams::from(context.params.menu), context.sink);
    header.bodyMarks[container::kSlotMenu] = 1;
    moveIntoFolder(menuDir / workfiles::kMenuImage, destin);
  }

  const fs::path ruleList = dictDir / workfiles::kTagRuleList;
  if (!regularFileSize(ruleList)) throw PassFailure("can't open file " + ruleList.string());
  BuildTagRuleImage(dictDir, workfiles::tagHeaderFile(kInternalName), true, context.sink);
  moveIntoFolder(dictDir / workfiles::kTagRuleImage, destin);

  header.fontsMark = 0;
  header.iconsMark = 0;
  header.bitmapsMark = context.options.bitmapPhase;
  header.bitmapParams = context.params.bitmap;

  listBodyFiles(header, dictDir);
  container::buildItemAddrImage(dictDir, header, context.sink);
  moveIntoFolder(dictDir / workfiles::kItemAddrImage, destin);

  BuildDicImage(dictDir, kInternalName, context.sink);
  moveIntoFolder(dictDir / workfiles::kDicImage, destin);
  BuildWordLibImage(dictDir);
  moveIntoFolder(dictDir / workfiles::kWordLibImage, destin);

  const container::ContainerSettings& settings = context.settings;
  container::SlotTable slots = container::listComponents(destin, header, settings, reports);
  container::writeContainer(destin, slots, header, settings, reports, platform::newGuid(), platform::buildTime(),
                            context.sink);
  reports.finish();
}

}  // namespace dm
