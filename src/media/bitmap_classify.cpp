#include "media/bitmap_classify.h"

#include "media/bitmap_tables.h"

namespace dm::bitmap {

namespace {

// The longest run and the longest literal stretch that one code covers.
constexpr std::uint64_t kMaxRun = 65532;
constexpr std::uint64_t kMaxLiteral = 65535;

}  // namespace

RunLengthEstimate estimateRunLength(std::string_view digits) {
  RunLengthEstimate e;
  const std::uint64_t n = digits.size() / 2;
  e.units = n;
  auto unit = [&](std::uint64_t i) { return digits.substr(2 * i, 2); };
  auto threeEqual = [&](std::uint64_t i) {
    return i + 2 < n && unit(i) == unit(i + 1) && unit(i) == unit(i + 2);
  };
  std::uint64_t i = 0;
  while (i < n) {
    if (n - i < 3) {
      e.cost += (n - i) + 1;
      break;
    }
    if (threeEqual(i)) {
      std::uint64_t run = 3;
      while (run < kMaxRun && i + run < n && unit(i + run) == unit(i)) ++run;
      e.cost += run > 127 ? 4 : 2;
      i += run;
    } else {
      std::uint64_t count = 0;
      while (i < n && count < kMaxLiteral && !threeEqual(i)) {
        ++i;
        ++count;
      }
      e.cost += count + (count >= 127 ? 3 : 1);
    }
  }
  e.ratio = n ? static_cast<double>(e.cost) / static_cast<double>(n) : 0.0;
  return e;
}

int GreyClassifier::classify(const RunLengthEstimate& e) {
  int preferred;
  if (e.ratio > 0.95 || (e.cost > 61440 && e.ratio > 0.4))
    preferred = 4;
  else if (e.ratio <= 0.4)
    preferred = 5;
  else
    preferred = 6;

  auto fits = [](std::uint64_t total, std::uint64_t add, std::uint64_t limit) { return total + add <= limit; };
  switch (preferred) {
    case 4:
      raw_ += e.units;
      if (raw_ <= kRawBudgetLimit) return 4;
      if (fits(class5_, e.cost, kClass5BudgetLimit)) {
        class5_ += e.cost;
        return 5;
      }
      class6_ += e.cost;
      return 6;
    case 6:
      class6_ += e.cost;
      if (class6_ <= kClass6BudgetLimit) return 6;
      if (fits(class5_, e.cost, kClass5BudgetLimit)) {
        class5_ += e.cost;
        return 5;
      }
      raw_ += e.units;
      return 4;
    default:
      class5_ += e.cost;
      if (class5_ <= kClass5BudgetLimit) return 5;
      if (fits(class6_, e.cost, kClass6BudgetLimit)) {
        class6_ += e.cost;
        return 6;
      }
      if (fits(raw_, e.units, kRawBudgetLimit)) {
        raw_ += e.units;
        return 4;
      }
      return 5;  // no room anywhere: stays in class 5, already charged
  }
}

}  // namespace dm::bitmap
