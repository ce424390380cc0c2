#include "driver/deferred_sink.h"

namespace dm {

void DeferredSink::phase(std::string_view name) { said_.push_back(Said{Kind::kPhase, std::string(name)}); }

void DeferredSink::progress(std::uint64_t done, std::uint64_t total) {
  said_.push_back(Said{Kind::kProgress, {}, done, total});
}

void DeferredSink::log(std::string_view line) { said_.push_back(Said{Kind::kLog, std::string(line)}); }

void DeferredSink::replay(ProgressSink& to) {
  for (const Said& s : said_) {
    switch (s.kind) {
      case Kind::kPhase:
        to.phase(s.text);
        break;
      case Kind::kProgress:
        to.progress(s.done, s.total);
        break;
      case Kind::kLog:
        to.log(s.text);
        break;
    }
  }
  said_.clear();
}

}  // namespace dm
