#include "dictcompiler/dictcompiler.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "dictcompiler/dict_loader.h"
#include "dictcompiler/dict_packer.h"
#include "dictcompiler/header_writers.h"
#include "dictcompiler/word_library.h"
#include "dictcompiler/word_select.h"
#include "textio/hex.h"

namespace dm {

namespace {

// Processor time of the whole process: the word selection runs on helper
// threads too.
double processSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

class PhaseTimer {
 public:
  explicit PhaseTimer(PhaseTime* slot)
      : slot_(slot), start_(std::chrono::steady_clock::now()), cpuStart_(processSeconds()) {}
  ~PhaseTimer() {
    if (!slot_) return;
    slot_->wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    slot_->cpu += processSeconds() - cpuStart_;
  }

 private:
  PhaseTime* slot_;
  std::chrono::steady_clock::time_point start_;
  double cpuStart_;
};

PhaseTime* slot(const CompileContext& ctx, PhaseTime CompileTimings::*member) {
  return ctx.timings ? &(ctx.timings->*member) : nullptr;
}

}  // namespace

int menuDepthFor(int reported, std::string_view menuList) {
  if (reported >= 2 && reported <= 4) return reported;
  int deepest = 0;
  bool lineStart = true;
  const std::size_t units = menuList.size() / 2;
  auto unit = [&](std::size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(menuList[2 * i]) |
                                 (static_cast<unsigned char>(menuList[2 * i + 1]) << 8));
  };
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t c = unit(i);
    if (lineStart && c == u'\xFEFF') continue;
    if (lineStart && c == u'L' && i + 3 < units && unit(i + 1) == u'V') {
      const int hi = hexDigitValue(unit(i + 2));
      const int lo = hexDigitValue(unit(i + 3));
      if (hi >= 0 && lo >= 0) deepest = std::max(deepest, hi * 16 + lo - 1);
    }
    lineStart = c == u'\n';
  }
  return std::clamp(deepest, 2, 4);
}

void compileDictionary(const CompileContext& ctx) {
  CompileState s(ctx);
  {
    PhaseTimer t(slot(ctx, &CompileTimings::load));
    RegisterTags(s);
    LoadDictionary(s);
  }
  {
    PhaseTimer t(slot(ctx, &CompileTimings::select));
    SelectWordLibs(s);
  }
  {
    PhaseTimer t(slot(ctx, &CompileTimings::generate));
    GenerateWordLibs(s);
  }
  {
    PhaseTimer t(slot(ctx, &CompileTimings::pack));
    PackDictionary(s);
    CopyBlockTagCodes(s);
  }
  {
    PhaseTimer t(slot(ctx, &CompileTimings::tables));
    WriteEntryTables(s);
  }
  {
    PhaseTimer t(slot(ctx, &CompileTimings::headers));
    WriteHeaders(s);
    WriteEntryAddressTable(s);
    if (ctx.kind != CompileKind::kMenu) WriteTagRuleList(s);
  }
}

}  // namespace dm
