// The work tree and the one catalogue of its names. Every folder and file
// that a run writes under <work base>/TempUsr is spelled here and nowhere
// else; writers and readers both take the names from this file, so a name
// is always written and read with the same letter case.
//
//   TempUsr/Middata   the phases' intermediate files (Source, Menu, Dict, Bmp,
//                     BmpExt, Sound, ...)
//   TempUsr/Destin    the component images and the container before delivery
//   TempUsr/Trash     the chain of the check and the conversion
//
// Every work file is named after the internal name "Drill", never after the
// user's file.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "textio/hex.h"

namespace dm {

// Every work file is named after this, never after the user's file.
inline constexpr const char* kInternalName = "Drill";

namespace workfiles {

// ---- The tree ---------------------------------------------------------------

inline constexpr const char* kRootFolder = "TempUsr";
inline constexpr const char* kMiddataFolder = "Middata";
inline constexpr const char* kDestinFolder = "Destin";
inline constexpr const char* kTrashFolder = "Trash";
// The window's preview of a built drill, written on demand after a run; it
// goes with the rest of the work tree.
inline constexpr const char* kPreviewFolder = "Preview";

// Folders under Middata and Destin that the phases use.
inline constexpr const char* kSourceFolder = "Source";  // Middata: the compiler input; Middata/Sound: sound sources
inline constexpr const char* kMenuFolder = "Menu";
inline constexpr const char* kDictFolder = "Dict";
inline constexpr const char* kBmpFolder = "Bmp";        // hex bitmaps, lists, tables
inline constexpr const char* kBmpExtFolder = "BmpExt";  // colour pictures
inline constexpr const char* kSoundFolder = "Sound";
inline constexpr const char* kFontFolder = "Font";

// The folders the work tree holds, parents before their sub-folders (the
// index folders besides the used ones are kept because the device tools'
// tree has them).
inline constexpr std::array<const char*, 12> kMiddataIndexFolders = {
    "EngIdx", "JapIdx", "ExmIdx", "SpaIdx", "EngKwIdx", "JapKwIdx",
    "KanjiPick", kMenuFolder, kSourceFolder, kDictFolder, kBmpFolder, kBmpExtFolder};
inline constexpr std::array<const char*, 4> kMiddataFolders = {kFontFolder, "EngInfl", "EngInfl/Data1",
                                                               "EngInfl/Data2"};
inline constexpr std::array<const char*, 16> kDestinFolders = {
    "EngIdx", "JapIdx", "ExmIdx", "SpaIdx", "EngKwIdx", "JapKwIdx", "KanjiPick", kMenuFolder,
    kDictFolder, kBmpFolder, kBmpExtFolder, kSoundFolder, kFontFolder, "EngInfl", "EngInfl/Data1", "EngInfl/Data2"};

}  // namespace workfiles

// The work tree: <work base>/TempUsr and its three top folders.
struct WorkPaths {
  std::filesystem::path root;
  std::filesystem::path middata;
  std::filesystem::path destin;
  std::filesystem::path trash;

  static WorkPaths under(const std::filesystem::path& workBase) {
    WorkPaths p;
    p.root = workBase / workfiles::kRootFolder;
    p.middata = p.root / workfiles::kMiddataFolder;
    p.destin = p.root / workfiles::kDestinFolder;
    p.trash = p.root / workfiles::kTrashFolder;
    return p;
  }
};

namespace workfiles {

// ---- Intake (Trash, and the check report in Destin) -------------------------

// Trash: the chain of the check, named after the internal name.
inline constexpr const char* kConvertedSource = "Drill.uni";   // UTF-16LE copy of the source text
inline constexpr const char* kNormalisedSource = "Drill_1.uni";  // one record per line
inline constexpr const char* kCheckedSource = "Drill_2.uni";    // the accepted lines; the conversion reads it
inline constexpr const char* kConversionLog = "Drill_tsv.chk";  // Shift-JIS codes without a conversion
inline std::filesystem::path convertedSourcePath(const WorkPaths& p) { return p.trash / kConvertedSource; }
inline std::filesystem::path normalisedSourcePath(const WorkPaths& p) { return p.trash / kNormalisedSource; }
inline std::filesystem::path checkedSourcePath(const WorkPaths& p) { return p.trash / kCheckedSource; }
inline std::filesystem::path conversionLogPath(const WorkPaths& p) { return p.trash / kConversionLog; }

// Destin: the check report, delivered as error-<source name>.txt.
inline constexpr const char* kCheckReport = "Drill.chk";
inline std::filesystem::path checkReportPath(const WorkPaths& p) { return p.destin / kCheckReport; }


// ---- Conversion (Trash, Middata/Source, Middata/Menu, Middata/BmpExt) -------

// Trash: the stages of the entry conversion, from Drill_2.uni on.
inline constexpr const char* kStage1 = "Drill.tm1";   // record writer
inline constexpr const char* kStage2 = "Drill.tm2";   // field pass
inline constexpr const char* kClean1 = "Drill.cln1";  // menu data pass
inline constexpr const char* kClean2 = "Drill.cln2";  // tag-to-code pass
inline constexpr const char* kClean6 = "Drill.cln6";  // split pass
inline constexpr const char* kClean7 = "Drill.cln7";  // jump pass
// Trash: the menu source of the menu data pass, its sorted copy and the
// readable listing of the menu tree.
inline constexpr const char* kMenuSource = "Drill_menu.dat";
inline constexpr const char* kMenuSorted = "Drill_menu_1.dat";
inline constexpr const char* kMenuReport = "Drill_menu.inf";
// Middata/Menu: the menu text list before and after the tag-to-code pass.
inline constexpr const char* kMenuPre1 = "menu_pre_1.lst";
inline constexpr const char* kMenuPre2 = "menu_pre_2.lst";
// Middata/Menu, and Middata/BmpExt where the media registration converts
// the pictures to.
inline std::filesystem::path menuFolderPath(const WorkPaths& p) { return p.middata / kMenuFolder; }
inline std::filesystem::path convertedPictureFolderPath(const WorkPaths& p) { return p.middata / kBmpExtFolder; }

// Middata/Source: the drill text that the tag census and the dictionary
// compiler read.
inline constexpr const char* kCompilerInput = "Drill.cln";
inline std::filesystem::path compilerInputPath(const WorkPaths& p) {
  return p.middata / kSourceFolder / kCompilerInput;
}
// Middata/Menu: the menu index and the menu captions of the menu compile.
inline constexpr const char* kMenuIndex = "menu.idx";
inline constexpr const char* kMenuList = "menu.lst";
inline std::filesystem::path menuListPath(const WorkPaths& p) { return p.middata / kMenuFolder / kMenuList; }


// ---- Dictionary compiler (Middata/Dict, Destin/Dict; Middata/Menu, Destin/Menu)

// The compile's two folders: its work folder (Middata/Dict for the drill
// body, Middata/Menu for the menu captions) and its output folder (Destin/Dict,
// Destin/Menu). <dict> is the internal name for the drill body and
// kMenuDictName for the menu captions.
//   work folder:   wdl_<library>.spl, NORM (optional), tag.err, <dict>.add,
//                  <dict>.aaa, Drill_rul.c / menu_rul.c, dict_type.h,
//                  Dict_Drill.inf / Menu_Lst.inf
//   output folder: wdl_<library>.dat/.sdx/.cod, <dict>.dic,
//                  entry_add.dat/.seg/.off / menu_item.add/.seg/.off, dict.h,
//                  Drill_tag.h / menu_tag.h, tag_rule.lst (drill body only)
inline std::filesystem::path dictWorkDir(const WorkPaths& p) { return p.middata / kDictFolder; }
inline std::filesystem::path dictOutDir(const WorkPaths& p) { return p.destin / kDictFolder; }
inline std::filesystem::path menuWorkDir(const WorkPaths& p) { return p.middata / kMenuFolder; }
inline std::filesystem::path menuOutDir(const WorkPaths& p) { return p.destin / kMenuFolder; }

// Dictionary name of the menu compile; the drill body uses the internal name.
inline constexpr const char* kMenuDictName = "menu_item";

// A dictionary's own files: <dict> followed by one of these.
inline constexpr const char* kCodedTextExt = ".dic";     // output folder: the packed text
inline constexpr const char* kLineAddressExt = ".add";   // work folder; the menu's address list (output folder)
inline constexpr const char* kEntryOffsetExt = ".aaa";   // work folder
inline constexpr const char* kSegmentExt = ".seg";       // the segmented address table
inline constexpr const char* kOffsetExt = ".off";
inline std::string dictFile(std::string_view dictName, std::string_view ext) {
  return std::string(dictName) + std::string(ext);
}

// The word libraries' files: wdl_<library> followed by one of these.
inline constexpr const char* kWordLibPrefix = "wdl_";
inline constexpr const char* kSplitExt = ".spl";      // work folder: the lines routed to the library
inline constexpr const char* kWordListExt = ".dat";   // output folder: the words
inline constexpr const char* kWordIndexExt = ".sdx";  // output folder: the block index of the words
inline constexpr const char* kCharCodeExt = ".cod";   // output folder: the character codes
inline std::string wordLibFile(std::string_view library, std::string_view ext) {
  return kWordLibPrefix + std::string(library) + std::string(ext);
}

// Work folder.
inline constexpr const char* kNormRule = "NORM";
inline constexpr const char* kTagErrors = "tag.err";
inline constexpr const char* kDictType = "dict_type.h";
inline constexpr const char* kMenuRuleSource = "menu_rul.c";
inline constexpr const char* kMenuSpaceReport = "Menu_Lst.inf";
inline std::string ruleSourceFile(std::string_view internalName) { return std::string(internalName) + "_rul.c"; }
inline std::string spaceReportFile(std::string_view internalName) {
  return "Dict_" + std::string(internalName) + ".inf";
}

// Output folder.
inline constexpr const char* kDictHeader = "dict.h";
inline constexpr const char* kTagRuleList = "tag_rule.lst";
// The drill body's entry address table: the list, and the segment and
// offset files of the segmented table writer.
inline constexpr const char* kEntryAddressData = "entry_add.dat";
inline constexpr const char* kEntryAddressSegments = "entry_add.seg";
inline constexpr const char* kEntryAddressOffsets = "entry_add.off";
inline constexpr const char* kMenuTagHeader = "menu_tag.h";
inline std::string tagHeaderFile(std::string_view internalName) { return std::string(internalName) + "_tag.h"; }


// ---- Component images (Destin) ----------------------------------------------

// The images built in the compiler's output folders (Destin/Dict, Destin/Menu)
// before the final assembly moves them to Destin, and the lists of the files
// an image could not take.
inline constexpr const char* kDicImage = "Dic.bin";
inline constexpr const char* kWordLibImage = "WordLib.bin";
inline constexpr const char* kTagRuleImage = "TagRule.bin";
inline constexpr const char* kMenuImage = "Menu.bin";
inline constexpr const char* kDicErrors = "Dicerror.txt";
inline constexpr const char* kLibErrors = "Liberror.txt";

// A table converted for an image is written beside it under its name with
// this appended, and removed once the image holds it.
inline constexpr const char* kConvertedSuffix = "_";

// Destin/Menu: the menu index at the device widths (Middata/Menu/menu.idx
// converted).
inline std::filesystem::path menuIndexOutPath(const WorkPaths& p) { return p.destin / kMenuFolder / kMenuIndex; }

// The components of Menu.bin in slot order. A drill build writes the first
// five (the menu compile's packed captions and address tables, the menu
// index); the others are never there and leave their slots empty.
inline constexpr int kMenuSlotCount = 30;
inline constexpr std::array<const char*, kMenuSlotCount> kMenuSlotNames{
    "menu_item.dic", "menu_item.add", "menu_item.seg", "menu_item.off", "menu.idx",      "pidx.trm",
    "sidx.trm",      "word.cod",      "word_cpr.h",    "word.lmk",      "word.rmk",      "word.wmk",
    "rev_pidx.trm",  "rev_sidx.trm",  "rev_word.trm",  "rev_spe.mrk",   "spe_suf.trm",   "wd_idx.dat",
    "wd_idx.seg",    "wd_idx.off",    "word_type.dat", "word_type.seg", "word_type.off", "Layer_mrk.dat",
    "sidx_long.trm", "idx_lst.dat",   "idx_type.map",  "wd_spell.mrk",  "Classify.iex",  "Menu_Speed.lv1"};


// ---- Media phases (Middata/Bmp, Destin/Bmp, BmpExt, Sound, Font) ------------

// Middata/Bmp: a hex bitmap "<picture name>.hex" per picture, the picture
// list (one line per picture number), its class list and the number header
// "Drill_Bmp.h".
inline constexpr const char* kPictureList = "BmpFile.lst";
inline constexpr const char* kPictureClassList = "BmpFile.lst.clr";
inline constexpr const char* kNumberHeaderSuffix = "_Bmp.h";  // after kInternalName
inline constexpr const char* kHexSuffix = ".hex";
// "bmp%05x" of a picture number: the base name of its hex bitmap, and of its
// copy "<name>.bmp" in Trash.
inline std::string pictureName(std::uint32_t number) { return "bmp" + hexText(number, 5); }
inline constexpr const char* kPictureCopySuffix = ".bmp";

// Trash: the input of the table coders.
inline constexpr const char* kConcatenatedBitmaps = "bitmap.cln";

// Destin/Bmp: the merged information table, the class lists
// "bitmap<class>.lst" and the tables of each class ("<base>.inf", ".add",
// ".cod", ".dic", ".h", ".hex").
inline constexpr const char* kMergedInfo = "bitmap.inf";
// The files of one picture table, named <table><ext> (the font's group
// tables take the same ones).
inline constexpr const char* kTableHeaderExt = ".h";     // the symbol table as C defines
inline constexpr const char* kTableCodeExt = ".cod";     // the symbol codes
inline constexpr const char* kTableDataExt = ".dic";     // the coded pictures
inline constexpr const char* kTableAddressExt = ".add";  // where each picture starts
inline constexpr const char* kTableInfoExt = ".inf";     // one information line per picture
inline constexpr const char* kTableRawExt = ".hex";      // the raw class's pictures
inline std::string classListName(int pictureClass) { return "bitmap" + std::to_string(pictureClass) + ".lst"; }
inline constexpr const char* kMonoSymbolTable = "bitmap_mono_3";   // class 3
inline constexpr const char* kRawTable = "bitmap_clr_4";           // class 4
inline constexpr const char* kColourSymbolTable = "bitmap_clr_5";  // class 5
inline constexpr const char* kRunLengthTable = "bitmap_clr_6";     // class 6

// Middata/BmpExt: the cover picture converted at 800 x 430 is named after
// the lower-cased file name with this suffix.
inline constexpr const char* kCoverSuffix = "_1y2x";
// Destin/BmpExt: the colour picture store.
inline constexpr const char* kColourAddressTable = "bitmap.add";
inline constexpr const char* kColourData = "bitmap.dat";
// Destin: the colour picture image.
inline constexpr const char* kExtBmpImage = "ExtBmp.bin";
inline std::filesystem::path extBmpImagePath(const WorkPaths& p) { return p.destin / kExtBmpImage; }

// Trash: the font directory; Destin: the font image that wraps it.
inline constexpr const char* kFontDirectory = "Font2.bin";
inline constexpr const char* kFontImage = "Font.bin";
inline std::filesystem::path fontDirectoryPath(const WorkPaths& p) { return p.trash / kFontDirectory; }
inline std::filesystem::path fontImagePath(const WorkPaths& p) { return p.destin / kFontImage; }
// The tables of Destin/Bmp that the font image takes; the names that no
// phase writes are looked for all the same.
inline constexpr const char* kFontPictureTables[] = {
    kMergedInfo,         "bitmap_clr_2.add",  "bitmap_clr_2.hex",  "bitmap_mono_2.add", "bitmap_mono_2.hex",
    "bitmap_clr_4.add",  "bitmap_clr_4.hex",  "bitmap_mono_4.add", "bitmap_mono_4.hex", "bitmap_clr_3.add",
    "bitmap_clr_3.cod",  "bitmap_clr_3.dic",  "bitmap_clr_3.h",    "bitmap_mono_3.add", "bitmap_mono_3.cod",
    "bitmap_mono_3.dic", "bitmap_mono_3.h",   "bitmap_clr_5.add",  "bitmap_clr_5.cod",  "bitmap_clr_5.dic",
    "bitmap_clr_5.h",    "bitmap_mono_5.add", "bitmap_mono_5.cod", "bitmap_mono_5.dic", "bitmap_mono_5.h",
    "bitmap_clr_6.add",  "bitmap_clr_6.dic"};
// The table base name of a font image group ("bitmap_clr_<g>",
// "bitmap_mono_2" for 8, "bitmap_mono_3" for 9).
inline std::string fontGroupTable(int group) {
  if (group == 8) return "bitmap_mono_2";
  if (group == 9) return kMonoSymbolTable;
  return "bitmap_clr_" + std::to_string(group);
}

// Middata/Sound: the sound list (and the folder Source of sound sources,
// emptied by the sound phase); Destin/Sound: the copies "<sound name>.mp3";
// Destin: the sound image; Trash: its packing log "Sound_Drill.out".
inline constexpr const char* kSoundList = "SndFile.lst";
inline constexpr const char* kSoundImage = "Sound.bin";
inline std::filesystem::path soundListPath(const WorkPaths& p) { return p.middata / kSoundFolder / kSoundList; }
inline std::filesystem::path soundImagePath(const WorkPaths& p) { return p.destin / kSoundImage; }
inline std::filesystem::path soundReportPath(const WorkPaths& p) {
  return p.trash / ("Sound_" + std::string(kInternalName) + ".out");
}
// "snd%05x" of a sound number: the base name of its copy.
inline std::string soundName(std::uint32_t number) { return "snd" + hexText(number, 5); }
inline constexpr const char* kSoundCopySuffix = ".mp3";


// ---- Container (Destin, and the size reports in TempUsr) --------------------

// Destin: the index image.
inline constexpr const char* kIndexImage = "Index.bin";
// Destin/Dict: the item address image (moved into Destin once built), the
// members that failed to convert, and the drill body's tables it takes.
inline constexpr const char* kItemAddrImage = "ItemAddr.bin";
inline constexpr const char* kItemAddrErrors = "Fnterror.txt";
inline constexpr const char* kEntryLineData = "entry_line.dat";
inline constexpr const char* kEntryLineSegments = "entry_line.seg";
inline constexpr const char* kEntryLineOffsets = "entry_line.off";
inline constexpr const char* kFiftyLineIndex = "addr_50line.idx";
inline constexpr const char* kFiftyLineAddresses = "addr_50line.add";
// Destin: the listed images that cannot be opened.
inline constexpr const char* kMissingImages = "MSDerror.txt";
// Destin: the container before its header is scrambled into kContainer.
inline constexpr const char* kContainerDraft = "Drill.pre";
inline std::filesystem::path containerDraftPath(const WorkPaths& p) { return p.destin / kContainerDraft; }
// TempUsr: the size reports of the final assembly.
inline constexpr const char* kSizeReport = "usrDict.out";
inline constexpr const char* kSizeSummary = "usrDict.sum";
inline std::filesystem::path sizeReportPath(const WorkPaths& p) { return p.root / kSizeReport; }
inline std::filesystem::path sizeSummaryPath(const WorkPaths& p) { return p.root / kSizeSummary; }

// Destin: the container before delivery, delivered as <source name>.drl.
inline constexpr const char* kContainer = "Drill.bin";
inline std::filesystem::path containerPath(const WorkPaths& p) { return p.destin / kContainer; }


}  // namespace workfiles

}  // namespace dm
