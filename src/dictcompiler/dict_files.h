// Names of the files the dictionary compiler writes, for the compiler and for
// the readers of its results (component images, menu data, container), so
// that one letter case is used throughout.
//
// Entry compile (kind 0)                  Menu compile (kind 2)
//   Middata/Dict   DictDir                  Middata/Menu
//   Destin/Dict    DictOutDir               Destin/Menu
// In DictDir: wdl_<lib>.spl, NORM (optional), tag.err, <name>.add,
// <name>.aaa, <Internal>_rul.c / menu_rul.c, dict_type.h,
// Dict_<Internal>.inf / Menu_Lst.inf.
// In DictOutDir: wdl_<lib>.dat/.sdx/.cod, <name>.dic, entry_add.dat/.seg/.off
// / menu_item.add/.seg/.off, dict.h, <Internal>_tag.h / menu_tag.h,
// tag_rule.lst (entry compile only).
#pragma once

namespace dm {

inline constexpr const char* kDictFolder = "Dict";
inline constexpr const char* kMenuFolderName = "Menu";
inline constexpr const char* kSourceFolderName = "Source";
inline constexpr const char* kMenuListFile = "menu.lst";

// Dictionary name of the menu compile; the entry compile uses the internal name.
inline constexpr const char* kMenuDictName = "menu_item";
// The tag that opens an entry of the drill text.
inline constexpr const char* kEntryStartTag = "START_BLOCK_Word";

inline constexpr const char* kNormRuleFile = "NORM";
inline constexpr const char* kTagErrorFile = "tag.err";
inline constexpr const char* kDictHeaderFile = "dict.h";
inline constexpr const char* kDictTypeFile = "dict_type.h";
inline constexpr const char* kTagRuleListFile = "tag_rule.lst";
inline constexpr const char* kEntryAddressBase = "entry_add";  // .dat, .seg, .off
inline constexpr const char* kMenuTagHeaderFile = "menu_tag.h";
inline constexpr const char* kMenuRuleSourceFile = "menu_rul.c";
inline constexpr const char* kMenuSpaceReportFile = "Menu_Lst.inf";

}  // namespace dm
