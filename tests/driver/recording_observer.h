// Collects the status messages a run sends.
#pragma once

#include <string>
#include <vector>

#include "driver/run_state.h"

namespace dm::test {

class RecordingObserver : public StatusObserver {
 public:
  void onStatus(int code, const std::string& text) override {
    codes.push_back(code);
    texts.push_back(text);
  }
  std::vector<int> codes;
  std::vector<std::string> texts;
};

}  // namespace dm::test
