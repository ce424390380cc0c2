// Small drills for the compiler tests: BlockText sources written byte-exact
// (mark FF FE, UTF-16LE, CR LF), the compile folders in a temporary work
// tree, and readers of the UTF-16 files the compiler writes.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dictcompiler/compile_state.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"
#include "textio/wide_line.h"

namespace dm::test {

// A BlockText file of the UTF-8 lines, each ended by CR LF.
inline std::string blockText(const std::vector<std::string>& lines) {
  std::string bytes = "\xFF\xFE";
  for (const std::string& l : lines) bytes += utf16le(l + "\r\n");
  return bytes;
}

// UTF-8 of a UTF-16LE file's content after its mark.
inline std::string fromUtf16File(const std::string& bytes) {
  std::u16string w;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
    w.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  return utf16ToUtf8(w);
}

// The tag census of BlockText lines: distinct tags before the first TAB
// (comment lines left out).
inline std::vector<std::u16string> census(const std::vector<std::string>& lines) {
  std::set<std::u16string> tags;
  for (const std::string& l : lines) {
    if (l.empty() || l[0] == ':') continue;
    tags.insert(utf8ToUtf16(l.substr(0, l.find('\t'))));
  }
  return {tags.begin(), tags.end()};
}

// The folders of a compile under a temporary work tree.
struct CompileFolders {
  TempDir dir;
  fs::path middata = dir / "TempUsr/Middata";
  fs::path destin = dir / "TempUsr/Destin";
  fs::path trash = dir / "TempUsr/Trash";

  CompileFolders() {
    for (const char* sub : {"Dict", "Menu", "Source"}) fs::create_directories(middata / sub);
    for (const char* sub : {"Dict", "Menu"}) fs::create_directories(destin / sub);
    fs::create_directories(trash);
  }

  CompileContext context(CompileKind kind, ProgressSink* sink = nullptr) const {
    CompileContext c;
    c.kind = kind;
    c.internalName = "Drill";
    c.trash = trash;
    const bool menu = kind == CompileKind::kMenu;
    c.dictDir = middata / (menu ? "Menu" : "Dict");
    c.dictOutDir = destin / (menu ? "Menu" : "Dict");
    c.sourcePath = menu ? middata / "Menu/menu.lst" : middata / "Source/Drill.cln";
    c.sink = sink;
    return c;
  }

  // Writes Drill.cln and returns the entry compile's context with its census.
  CompileContext entrySource(const std::vector<std::string>& lines, ProgressSink* sink = nullptr) const {
    writeFile(middata / "Source/Drill.cln", blockText(lines));
    CompileContext c = context(CompileKind::kEntries, sink);
    c.tagList = census(lines);
    return c;
  }
};

}  // namespace dm::test
