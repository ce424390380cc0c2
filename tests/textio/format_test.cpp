#include "textio/format.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(Formatted, GivesWhatPrintfWouldPrintAtAnyLength) {
  EXPECT_EQ(formatted("%08llx\t%08x\n", 0x1234ull, 5u), "00001234\t00000005\n");
  EXPECT_EQ(formatted("%-6.*s:%08.2f", 3, "abcdef", 1.5), "abc   :00001.50");
  EXPECT_EQ(formatted("%s", ""), "");
  const std::string longer(1000, 'x');  // past the small buffer
  EXPECT_EQ(formatted("[%s]", longer.c_str()), "[" + longer + "]");
}

}  // namespace
}  // namespace dm
