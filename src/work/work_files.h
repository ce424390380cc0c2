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

// (names of the dictionary compiler move here)


// ---- Component images (Destin) ----------------------------------------------

// (names of the component images move here)


// ---- Media phases (Middata/Bmp, Destin/Bmp, BmpExt, Sound, Font) ------------

// (names of the media phases move here)


// ---- Container (Destin, and the size reports in TempUsr) --------------------

// (names of the final assembly move here)

// Destin: the container before delivery, delivered as <source name>.drl.
inline constexpr const char* kContainer = "Drill.bin";
inline std::filesystem::path containerPath(const WorkPaths& p) { return p.destin / kContainer; }


}  // namespace workfiles

}  // namespace dm
