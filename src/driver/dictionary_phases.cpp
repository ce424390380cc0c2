#include "driver/dictionary_phases.h"

#include <fstream>
#include <iterator>
#include <string>

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
  ctx.tagList = state.tagList;
  ctx.entryNumberWidth = state.options.entryNumberWidth;
  ctx.romWriterType = state.options.romWidths[0];
  ctx.sink = &state.progress();
  if (menu) {
    std::ifstream in(ctx.sourcePath, std::ios::binary);
    const std::string list((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ctx.menuDepth = menuDepthFor(state.conversion.menuDepth, list);
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
