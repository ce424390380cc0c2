// The state of one dictionary compile: its folders, the two registries
// (word libraries and the dictionary with its tags) and what the phases hand
// each other. It lives for one call of the compile; nothing outlives it but
// the files written.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "dictcompiler/assign_codes.h"
#include "dictcompiler/selection_gate.h"
#include "work/progress_sink.h"

namespace dm {

namespace fs = std::filesystem;

// What a compile compiles: the entry text of the drill, or the menu captions.
enum class CompileKind { kEntries, kMenu };

// One line routed to a word library (a line of its split file).
struct SplitLine {
  std::uint32_t lineNo = 0;  // routed lines of the dictionary, from 0
  std::uint32_t tag = 0;     // index into Dictionary::tags
  std::u16string text;       // after selection: tokens separated by U+0010
};

struct WordLib {
  std::string name;
  fs::path rulePath;  // optional minimum-frequency rules
  int maxLen = 200;   // longest candidate word, bytes of UTF-16
  int minLen = 4;     // shortest candidate word, bytes
  fs::path splitPath;
  std::uint32_t lineCount = 0;
  std::vector<SplitLine> lines;
  CodeLengthDist wordLenDist{};
  CodeLengthDist charLenDist{};
  std::uint64_t datNibbles = 0;
  std::uint64_t sdxNibbles = 0;
  std::uint64_t codNibbles = 0;
  std::uint32_t textNibbles = 0;
};

struct DictTag {
  std::string name;      // as in the source, "_s00" suffix kept
  std::u16string wname;  // the same, as the source writes it
  std::string library;
  std::string code;      // tag code, empty until packing
  bool opensBlock = false;
  bool isHeadword = false;
  std::uint32_t lineCount = 0;  // packed lines carrying this tag
};

struct BlockTag {
  std::string name;
  std::string code;
};

// One source line as word codes, in the order the libraries produced them.
struct CodedLine {
  std::uint32_t lineNo = 0;
  std::uint32_t tag = 0;
  std::string codes;  // each word code followed by a blank
};

// A line of the packed text: a source line's word codes and F, or a
// separator F alone (tag -1).
struct PackedLine {
  int tag = -1;
  std::uint32_t digits = 0;  // hex digits of the text, as the packer counted them
  std::string text;
};

struct Dictionary {
  std::string name;
  fs::path sourcePath;  // empty until the source was checked
  std::string codedPath;
  std::uint64_t nibbleCount = 0;
  std::vector<BlockTag> blockTags;
  std::vector<DictTag> tags;  // ascending by name (byte-wise)
  std::vector<CodedLine> coded;
  std::vector<PackedLine> packed;
  std::vector<std::uint64_t> entryOffsets;  // nibble offset of every entry

  // Index of the tag named `name`, or -1.
  int findTag(const std::string& name) const;
  // Adds the tag in name order unless present; returns its index.
  std::uint32_t addTag(const std::string& name, const std::u16string& wname, const std::string& library);
};

// Seconds spent in the compile's phases, for benchmarks: elapsed time and
// the processor time of the process (all its threads).
struct PhaseTime {
  double wall = 0;
  double cpu = 0;
};
struct CompileTimings {
  PhaseTime load, select, generate, pack, tables, headers;
};

struct CompileContext {
  CompileKind kind = CompileKind::kEntries;
  std::string internalName;  // "Drill"
  fs::path trash;
  fs::path dictDir;     // Middata/Dict or Middata/Menu
  fs::path dictOutDir;  // Destin/Dict or Destin/Menu
  fs::path sourcePath;  // Middata/Source/Drill.cln or Middata/Menu/menu.lst
  std::vector<std::u16string> tagList;  // the tag census (entry compile)
  int menuDepth = 0;                    // deepest menu level (menu compile)
  int entryNumberWidth = 8;
  int romWriterType = 2;
  ProgressSink* sink = nullptr;  // progress texts and diagnostics, as log lines; null: nobody listens
  CompileTimings* timings = nullptr;
  // Shared with a compile that runs beside this one (null: none).
  SelectionGate* selectionGate = nullptr;
  SelectionGate::Turn selectionTurn = SelectionGate::Turn::kFirst;
};

struct CompileState {
  explicit CompileState(const CompileContext& c)
      : ctx(c), sinkLog(c.sink ? std::make_unique<SinkLogStream>(*c.sink) : nullptr), out(sinkLog.get()) {}

  const CompileContext& ctx;
  std::unique_ptr<SinkLogStream> sinkLog;  // every line written to it goes to ctx.sink
  std::ostream* out;                       // where print() writes; null: nowhere
  std::uint32_t blockRecord = 20;  // WORDLIB_BLOCKRECORD
  std::uint64_t maxLineLength = 0;
  std::uint64_t maxWordLength = 0;
  std::vector<WordLib> libs;  // ascending by name
  Dictionary dict;

  // Index of the library named `name`, or -1.
  int findLib(const std::string& name) const;
  // printf-style progress text on the log.
  void print(const char* format, ...) const __attribute__((format(printf, 2, 3)));
};

}  // namespace dm
