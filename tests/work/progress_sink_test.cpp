#include "work/progress_sink.h"

#include <gtest/gtest.h>

#include "support/recording_sink.h"

namespace dm {
namespace {

TEST(SinkLogStream, EveryLineEndedByLfOrCrBecomesOneLogLine) {
  struct Case {
    const char* written;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"one\ntwo\n", {"one", "two"}},
      {"\rProcess Menu Data ...   \r", {"Process Menu Data ...   "}},
      {"a\r\nb", {"a", "b"}},  // the unended last line comes with the flush
      {"\n\n\r", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    test::RecordingSink sink;
    {
      SinkLogStream out(sink);
      out << c.written;
    }
    EXPECT_EQ(sink.lines, c.lines) << c.written;
  }
}

TEST(SinkLogStream, FormattedOutputAndFlushReachTheSink) {
  test::RecordingSink sink;
  SinkLogStream out(sink);
  out << "words=" << 42 << std::flush;
  EXPECT_EQ(sink.lines, std::vector<std::string>{"words=42"});
  out << "next" << std::endl;
  EXPECT_EQ(sink.lines.back(), "next");
  EXPECT_TRUE(out.good());
}

TEST(ProgressCounter, ReportsAboutStepsTimesAndAlwaysTheEnd) {
  test::RecordingSink sink;
  ProgressCounter counter(sink, 1000, 10);
  for (int i = 0; i < 1000; ++i) counter.step();
  counter.finish();
  ASSERT_GE(sink.steps.size(), 10u);
  EXPECT_LE(sink.steps.size(), 12u);
  EXPECT_EQ(sink.steps.back(), (std::make_pair<std::uint64_t, std::uint64_t>(1000, 1000)));
  for (auto [done, total] : sink.steps) EXPECT_LE(done, total);
}

TEST(ProgressCounter, AZeroTotalReportsNothing) {
  test::RecordingSink sink;
  ProgressCounter counter(sink, 0);
  counter.step(5);
  counter.finish();
  EXPECT_TRUE(sink.steps.empty());
}

TEST(QuietSink, TakesEverything) {
  ProgressSink& sink = quietSink();
  sink.phase("x");
  sink.progress(1, 2);
  sink.log("y");
  SinkLogStream out(sink);
  out << "z\n";
  EXPECT_TRUE(out.good());
}

}  // namespace
}  // namespace dm
