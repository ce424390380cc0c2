// The first two phases of a compile: registering the tags of the drill text
// (or of the menu captions) with their word libraries, and loading the
// source, which routes every line into the split file of its library.
#pragma once

#include <string_view>

#include "dictcompiler/compile_state.h"

namespace dm {

// Fills the word library registry from the tag table of the compile kind,
// creates the dictionary and registers its tags: every row of the menu table
// (kind 2), or the tags of the census that the entry table knows, up to the
// first unknown one (kind 0, which prints "Unknown Tag Name: %s!\n"). Checks
// that the source opens; when it does not, prints and throws PassFailure
// "can't open dict source file %s\n".
void RegisterTags(CompileState& s);

// Routes the lines of the source text (its units after the mark) to the
// libraries of their tags: skips empty lines and lines that begin with
// ':'; lines of unknown tags are dropped and their tags returned (ascending,
// once each) in `unknown`.
void routeSource(CompileState& s, std::u16string_view text, std::vector<std::u16string>& unknown);

// Reads the source, routes it, writes every split file and DictDir/tag.err.
void LoadDictionary(CompileState& s);

// The UTF-8 form of a census tag, with a trailing CR LF removed.
std::string censusTagName(std::u16string_view tag);

}  // namespace dm
