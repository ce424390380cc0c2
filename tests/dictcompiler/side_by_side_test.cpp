#include "dictcompiler/side_by_side.h"

#include <gtest/gtest.h>

#include <mutex>
#include <stdexcept>
#include <string>

namespace dm {
namespace {

TEST(SideBySideTest, LargestFirstKeepsTheIndexOrderOfEqualSizes) {
  const std::vector<std::size_t> sizes{3, 9, 3, 0, 9};
  EXPECT_EQ(largestFirst(sizes), (std::vector<std::size_t>{1, 4, 0, 2, 3}));
  EXPECT_TRUE(largestFirst({}).empty());
}

TEST(SideBySideTest, EveryJobRunsOnceAndFailuresStayWithTheirIndex) {
  const std::vector<std::size_t> order{4, 0, 3, 1, 2, 5};
  std::mutex m;
  std::vector<int> runs(order.size(), 0);
  const std::vector<std::exception_ptr> failures = runSideBySide(order, [&](std::size_t i) {
    {
      std::lock_guard<std::mutex> lock(m);
      ++runs[i];
    }
    if (i == 1 || i == 3) throw std::runtime_error("job " + std::to_string(i));
  });
  EXPECT_EQ(runs, (std::vector<int>(order.size(), 1)));  // a failure stops no other job
  ASSERT_EQ(failures.size(), order.size());
  for (std::size_t i = 0; i < failures.size(); ++i) {
    if (i != 1 && i != 3) {
      EXPECT_FALSE(failures[i]) << i;
      continue;
    }
    ASSERT_TRUE(failures[i]) << i;
    try {
      std::rethrow_exception(failures[i]);
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "job " + std::to_string(i));
    }
  }
  EXPECT_TRUE(runSideBySide({}, [](std::size_t) { FAIL(); }).empty());
}

}  // namespace
}  // namespace dm
