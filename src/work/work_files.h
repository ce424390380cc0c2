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
#include <filesystem>
#include <string>
#include <string_view>

namespace dm {

// Every work file is named after this, never after the user's file.
inline constexpr const char* kInternalName = "Drill";

namespace workfiles {

// ---- The tree ---------------------------------------------------------------

inline constexpr const char* kRootFolder = "TempUsr";
inline constexpr const char* kMiddataFolder = "Middata";
inline constexpr const char* kDestinFolder = "Destin";
inline constexpr const char* kTrashFolder = "Trash";

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

// (names of the intake move here)

// Destin: the check report, delivered as error-<source name>.txt.
inline constexpr const char* kCheckReport = "Drill.chk";
inline std::filesystem::path checkReportPath(const WorkPaths& p) { return p.destin / kCheckReport; }


// ---- Conversion (Trash, Middata/Source, Middata/Menu, Middata/BmpExt) -------

// (names of the conversion move here)

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
inline constexpr const char* kEntryAddressBase = "entry_add";  // .dat (kWordListExt), .seg, .off
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

// (names of the media phases move here)


// ---- Container (Destin, and the size reports in TempUsr) --------------------

// (names of the final assembly move here)

// Destin: the container before delivery, delivered as <source name>.drl.
inline constexpr const char* kContainer = "Drill.bin";
inline std::filesystem::path containerPath(const WorkPaths& p) { return p.destin / kContainer; }


}  // namespace workfiles

}  // namespace dm
