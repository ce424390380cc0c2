#include "driver/passes.h"

#include <exception>
#include <fstream>
#include <future>
#include <new>
#include <optional>
#include <set>
#include <system_error>

#include "conversion/conversion.h"
#include "container/container.h"
#include "driver/deferred_sink.h"
#include "driver/dictionary_phases.h"
#include "driver/phase_contexts.h"
#include "driver/work_tree.h"
#include "images/images.h"
#include "intake/intake.h"
#include "media/bitmap_ext_image.h"
#include "media/font_image.h"
#include "media/media_phases.h"
#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/wide_line.h"
#include "textio/wide_stream.h"

namespace dm {

namespace {

// Runs `body` inside the pass's failure boundary.
template <typename Body>
PassResult guarded(RunState& state, Body body) {
  PassResult result;
  try {
    body();
    result.ok = true;
    return result;
  } catch (const std::bad_alloc&) {
    result.failureText = "Not enough memory to finish the run.";
  } catch (const std::exception& e) {
    result.failureText = e.what();
  } catch (...) {
    result.failureText = "The run failed for an unknown reason.";
  }
  state.send(status::kPassFailed, result.failureText);
  return result;
}

void refuseOversizedSource(const fs::path& source) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(source, ec);
  if (ec || size <= kMaxSourceBytes) return;
  throw PassFailure("The source text " + source.filename().string() + " has " + std::to_string(size) +
                    " bytes; the largest source drillmaker accepts has " + std::to_string(kMaxSourceBytes) +
                    " bytes (16 MiB). Split the drill into smaller ones.");
}

// The menu's two phases (the index conversion and the captions' compile)
// read only what the conversion wrote and write only into the menu's own
// folders, so they run on a thread of their own beside the tag census and
// the entries' compile. What they say is kept and told when their turn comes,
// so the run's sink hears the phases in the order of a run one after the
// other. A failure of the entries' compile is the pass's failure, whatever
// the menu's phases did meanwhile. The two compiles share a selection gate,
// so that their word selections together stay within the memory of the
// entries' own (see selection_gate.h).
class MenuPhasesAhead {
 public:
  // Word selection takes some fifteen bytes per code unit: the menu's
  // library is selected beside the entries' libraries while those and it
  // come to at most this many units (about 380 MB), else after them. A
  // source of repeated words at the 16 MiB limit, whose libraries and menu
  // come to 27 million units, peaks at 392 MiB.
  static constexpr std::uint64_t kSelectionBudgetUnits = 24u << 20;

  explicit MenuPhasesAhead(const RunState& state) : state_(state), gate_(kSelectionBudgetUnits) {
    try {
      done_ = std::async(std::launch::async, [this] { run(); });
    } catch (const std::system_error&) {
      // No thread to spare: the phases run in their turn instead.
    }
  }
  MenuPhasesAhead(const MenuPhasesAhead&) = delete;
  MenuPhasesAhead& operator=(const MenuPhasesAhead&) = delete;
  // Waits for the thread when the entries' compile failed.
  ~MenuPhasesAhead() {
    gate_.firstDone();
    if (done_.valid()) done_.wait();
  }

  // The gate the entries' compile enters first.
  SelectionGate* gate() { return &gate_; }

  // The menu phases' turn: waits for them, tells `sink` what they said and
  // throws what they threw.
  void finish(ProgressSink& sink) {
    gate_.firstDone();
    std::exception_ptr failure;
    try {
      if (done_.valid())
        done_.get();
      else
        run();
    } catch (...) {
      failure = std::current_exception();
    }
    said_.replay(sink);
    if (failure) std::rethrow_exception(failure);
  }

 private:
  void run() {
    said_.phase(phasename::kMenuIndex);
    convertMenuIndexFile(menuIndexContextOf(state_));
    said_.phase(phasename::kMenuCompile);
    compileMenuCaptions(state_, said_, &gate_);
  }

  const RunState& state_;
  SelectionGate gate_;
  DeferredSink said_;
  std::future<void> done_;
};

}  // namespace

PassResult CheckPass(RunState& state) {
  state.validRecordCount = 0;
  PassResult result = guarded(state, [&] {
    ProgressSink& sink = state.progress();
    sink.phase(phasename::kPrepare);
    refuseOversizedSource(state.sourceTextPath);
    prepareWorkTree(state);
    if (WorkTreeProblem problem = checkWorkTree(state.paths))
      throw PassFailure("the work folder " + problem.folder.string() +
                        " cannot be written: " + platform::systemErrorText(problem.error));
    resetConversion(state.conversion);
    state.resetOptions();
    const IntakeContext intake = intakeContextOf(state);

    sink.phase(phasename::kReadSource);
    convertSource(intake);
    sink.phase(phasename::kNormalise);
    normaliseSource(intake);
    sink.phase(phasename::kCheck);
    state.validRecordCount = checkSource(intake);
  });
  if (result.ok && !state.batchMode) state.send(status::kCheckDone);
  return result;
}

PassResult BuildPass(RunState& state) {
  state.warnings.clear();
  PassResult result = guarded(state, [&] {
    ProgressSink& sink = state.progress();
    sink.phase(phasename::kConvert);
    convertDrill(conversionContextOf(state));
    std::optional<MenuPhasesAhead> menu;
    if (state.options.menuPhase == 1) {
      state.params.menu.present = 1;
      menu.emplace(state);
    }
    sink.phase(phasename::kTagCensus);
    TagCensus(state);
    sink.phase(phasename::kCompile);
    compileDrillBody(state, menu ? menu->gate() : nullptr);
    if (menu) menu->finish(sink);
    if (state.options.soundPhase != 0) {
      sink.phase(phasename::kSounds);
      buildSound(soundContextOf(state));
    }
    if (state.options.bitmapPhase != 0) {
      state.params.bitmap.present = 1;
      sink.phase(phasename::kPictures);
      buildBitmaps(bitmapContextOf(state));
    }
    sink.phase(phasename::kFont);
    buildFontImage(state.paths, sink);
    if (!state.conversion.media.otherList.empty()) {
      sink.phase(phasename::kColourPictures);
      buildExtBmpImage(state.paths, sink);
    }
    sink.phase(phasename::kAssemble);
    assembleContainer(assemblyContextOf(state));
  });
  if (result.ok && !state.batchMode) state.send(status::kBuildDone);
  return result;
}

void TagCensus(std::istream& cln, RunState& state) {
  constexpr std::size_t kCensusLineUnits = 51200;
  char mark[2];
  cln.read(mark, 2);
  std::set<std::u16string, std::less<>> tags;
  std::uint32_t entries = 0;
  std::u16string line;
  WideLineReader reader(cln, kCensusLineUnits);
  while (reader.read(line)) {
    if (isBlankWideLine(line)) continue;
    if (line.find(u"START_BLOCK_Word\t") != std::u16string::npos) ++entries;
    std::size_t tab = line.find(u'\t');
    std::u16string_view tag = tab == std::u16string::npos ? chompWide(line) : std::u16string_view(line).substr(0, tab);
    if (tags.find(tag) == tags.end()) tags.emplace(tag);
  }
  state.entryCount = entries;
  state.tagList.insert(state.tagList.end(), tags.begin(), tags.end());
}

void TagCensus(RunState& state) {
  const fs::path path = workfiles::compilerInputPath(state.paths);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PassFailure("can't open file " + path.string() + "\n");
  TagCensus(in, state);
}

}  // namespace dm
