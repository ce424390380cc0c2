#include "driver/dictionary_phases.h"

#include <fstream>
#include <sstream>
#include <string>
#include <utility>

#include "dictcompiler/dictcompiler.h"

namespace dm {

CompileContext compileContextOf(const RunState& state, CompileKind kind) {
  CompileContext ctx;
  ctx.kind = kind;
  ctx.internalName = kInternalName;
  ctx.trash = state.paths.trash;
  const bool menu = kind == CompileKind::kMenu;
  ctx.dictDir = menu ? workfiles::menuWorkDir(state.paths) : workfiles::dictWorkDir(state.paths);
  ctx.dictOutDir = menu ? workfiles::menuOutDir(state.paths) : workfiles::dictOutDir(state.paths);
  ctx.sourcePath = menu ? workfiles::menuListPath(state.paths) : workfiles::compilerInputPath(state.paths);
  if (!menu) ctx.tagList = state.tagList;  // the menu's tags are fixed
  ctx.entryNumberWidth = state.options.entryNumberWidth;
  ctx.romWriterType = state.options.romWidths[0];
  ctx.sink = &state.progress();
  if (menu) {
    // The list is only looked at when the conversion reported no depth.
    const int reported = state.conversion.menuDepth;
    std::string list;
    if (reported < 2 || reported > 4) {
      std::ifstream in(ctx.sourcePath, std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      list = std::move(bytes).str();
    }
    ctx.menuDepth = menuDepthFor(reported, list);
  }
  return ctx;
}

void compileDrillBody(RunState& state, SelectionGate* gate) {
  CompileContext ctx = compileContextOf(state, CompileKind::kEntries);
  ctx.selectionGate = gate;
  ctx.selectionTurn = SelectionGate::Turn::kFirst;
  compileDictionary(ctx);
}

void compileMenuCaptions(RunState& state) { compileDictionary(compileContextOf(state, CompileKind::kMenu)); }

void compileMenuCaptions(const RunState& state, ProgressSink& sink, SelectionGate* gate) {
  CompileContext ctx = compileContextOf(state, CompileKind::kMenu);
  ctx.sink = &sink;
  ctx.selectionGate = gate;
  ctx.selectionTurn = SelectionGate::Turn::kSecond;
  compileDictionary(ctx);
}

MenuIndexContext menuIndexContextOf(const RunState& state) { return MenuIndexContext{state.paths, state.params.menu}; }

}  // namespace dm
