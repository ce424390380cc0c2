// Names of the files the conversion writes in the work tree. Readers of these
// files (tag census, dictionary compiler, menu data, media phases) take the
// names from here so that one letter case is used throughout.
#pragma once

#include "driver/run_state.h"

namespace dm::stagefiles {

// Trash: the validated source and the stages of the chain.
inline constexpr const char* kValidated = "Drill_2.uni";
inline constexpr const char* kStage1 = "Drill.tm1";   // record writer
inline constexpr const char* kStage2 = "Drill.tm2";   // field pass
inline constexpr const char* kClean1 = "Drill.cln1";  // menu data pass
inline constexpr const char* kClean2 = "Drill.cln2";  // tag-to-code pass
inline constexpr const char* kClean6 = "Drill.cln6";  // split pass
inline constexpr const char* kClean7 = "Drill.cln7";  // jump pass
inline constexpr const char* kMenuSource = "Drill_menu.dat";
inline constexpr const char* kMenuSorted = "Drill_menu_1.dat";
inline constexpr const char* kMenuReport = "Drill_menu.inf";

// Middata/Source: the compiler input.
inline constexpr const char* kSourceFolder = "Source";
inline constexpr const char* kCompilerInput = "Drill.cln";

// Middata/Menu: the menu files.
inline constexpr const char* kMenuFolder = "Menu";
inline constexpr const char* kMenuIndex = "menu.idx";
inline constexpr const char* kMenuPre1 = "menu_pre_1.lst";
inline constexpr const char* kMenuPre2 = "menu_pre_2.lst";
inline constexpr const char* kMenuList = "menu.lst";

// Middata/BmpExt: the pictures converted by the media registration.
inline constexpr const char* kConvertedPictureFolder = "BmpExt";

inline fs::path trash(const WorkPaths& p, const char* name) { return p.trash / name; }
inline fs::path compilerInput(const WorkPaths& p) { return p.middata / kSourceFolder / kCompilerInput; }
inline fs::path menuFolder(const WorkPaths& p) { return p.middata / kMenuFolder; }
inline fs::path menuFile(const WorkPaths& p, const char* name) { return menuFolder(p) / name; }
inline fs::path convertedPictureFolder(const WorkPaths& p) { return p.middata / kConvertedPictureFolder; }

}  // namespace dm::stagefiles
