// Classification of grey (4-bit) pictures into the three colour tables by
// how well their rows compress: raw rows (class 4), symbol-coded (class 5)
// or run-length coded (class 6), within per-build budgets.
#pragma once

#include <cstdint>
#include <string_view>

namespace dm::bitmap {

struct RunLengthEstimate {
  std::uint64_t units = 0;  // units of two hex digits
  std::uint64_t cost = 0;   // estimated bytes of the run-length code
  double ratio = 0;         // cost / units (0 for no units)
};

// Estimates the run-length cost of `digits` (the joined pixel rows, one hex
// digit per pixel, each row of even length), read in units of two digits.
RunLengthEstimate estimateRunLength(std::string_view digits);

// The three budgets of one build and the class choice that fills them.
class GreyClassifier {
 public:
  // The class (4, 5 or 6) of a picture with this estimate; its budgets are
  // charged.
  int classify(const RunLengthEstimate& e);

  std::uint64_t rawBudget() const { return raw_; }
  std::uint64_t class5Budget() const { return class5_; }
  std::uint64_t class6Budget() const { return class6_; }

 private:
  std::uint64_t raw_ = 0;
  std::uint64_t class5_ = 0;
  std::uint64_t class6_ = 0;
};

}  // namespace dm::bitmap
