// Entry conversion: turns the accepted records into BlockText entries, replaces
// markup by device codes, splits and balances lines, resolves jumps and builds
// the menu tree (Middata/Source/Drill.cln and the menu files).
//
// The chain, all in Trash unless named otherwise:
//   Drill_2.uni -> Drill.tm1 (entry_writer) -> Drill.tm2 (field_pass)
//   -> Drill.cln1 + Drill_menu.dat (menu_data_pass) -> Drill.cln2 (tag_code_pass)
//   -> Drill.cln6 (split_pass) -> Drill.cln7 (jump_pass)
//   -> Middata/Source/Drill.cln (balance_pass); then the menu files (menu_tree).
#pragma once

#include "conversion/conversion_context.h"
#include "conversion/media_registration.h"

namespace dm {

// Empties the keyword lists and the media registration of the conversion
// (part of each check pass's reset). The other-picture counter carries on.
void resetConversion(ConversionState& conversion);
// Trash/Drill_2.uni -> Middata/Source/Drill.cln, the menu files and the
// soundPhase, bitmapPhase and menuPhase flags. Reports each of its eight
// passes done as progress. Pictures are converted with the picture library.
void convertDrill(const ConversionContext& context);
// The same with another picture converter.
void convertDrill(const ConversionContext& context, const PictureConverter& convert);

}  // namespace dm
