// Throughput of the intake passes over a generated Shift-JIS source of
// 20,000 records (about 10 MB): code conversion, line normalisation and the
// record check, each over in-memory streams, and the three in a row.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "intake/check_context.h"
#include "intake/intake_state.h"
#include "intake/line_normaliser.h"
#include "intake/record_checker.h"
#include "intake/source_reader.h"

namespace dm {
namespace {

constexpr int kRecords = 20000;

// 問題 and 説明 in Shift-JIS.
const std::string kQuestion = "\x96\xE2\x91\xE8";
const std::string kExplain = "\x90\xE0\x96\xBE";

std::string repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

// A source like a spreadsheet export: settings and heading lines, then one
// record per question with styled text, a quoted two-line cell every fourth
// record and four cases.
const std::string& source() {
  static const std::string text = [] {
    std::string s = "drill\thow to use\t\t\x89\x70\x8C\xEA\x31\t\t\r\n";
    s += "c1\tc2\tc3\tno\tquestion\tanswer\tcomment\ttime\tcase1\tcase2\tcase3\tcase4\r\n";
    const std::string body = repeat("<B>" + kQuestion + "</B>" + kExplain + " text ", 20);
    const std::string comment = repeat(kExplain + "comment ", 12);
    for (int i = 0; i < kRecords; ++i) {
      s += "Chapter\tSection\tPart " + std::to_string(i / 900) + "\t" + std::to_string(i % 9999) + "\t";
      if (i % 4 == 0) {
        s += "\"" + body + "\r\nsecond \"\"line\"\"\"";
      } else {
        s += body;
      }
      s += "\t2\t" + comment + "\t1:30\t" + kQuestion + " one\t" + kQuestion + " two\t" + kQuestion + " three\t" +
           kQuestion + " four\r\n";
    }
    return s;
  }();
  return text;
}

std::string convert(const std::string& sjis) {
  std::istringstream in(sjis);
  std::ostringstream out, log;
  convertSourceStream(in, out, log);
  return out.str();
}

std::string normalise(const std::string& uni) {
  std::istringstream in(uni);
  std::ostringstream out;
  normaliseLines(in, out);
  return out.str();
}

std::uint32_t check(const std::string& normalised) {
  IntakeState state;
  MediaList media;
  CheckContext context;
  context.mediaList = &media;
  context.sourceName = u"drill.txt";
  std::istringstream in(normalised);
  std::ostringstream out;
  return checkRecords(state, context, in, out);
}

void BM_ConvertShiftJis(benchmark::State& state) {
  const std::string& sjis = source();
  for (auto _ : state) benchmark::DoNotOptimize(convert(sjis));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(sjis.size()));
}

void BM_NormaliseLines(benchmark::State& state) {
  const std::string uni = convert(source());
  for (auto _ : state) benchmark::DoNotOptimize(normalise(uni));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(uni.size()));
}

void BM_CheckRecords(benchmark::State& state) {
  const std::string normalised = normalise(convert(source()));
  std::uint32_t valid = 0;
  for (auto _ : state) benchmark::DoNotOptimize(valid = check(normalised));
  state.counters["valid_records"] = valid;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(normalised.size()));
}

void BM_WholeIntake(benchmark::State& state) {
  const std::string& sjis = source();
  for (auto _ : state) benchmark::DoNotOptimize(check(normalise(convert(sjis))));
  state.counters["source_bytes"] = static_cast<double>(sjis.size());
}

BENCHMARK(BM_ConvertShiftJis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NormaliseLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckRecords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholeIntake)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dm

BENCHMARK_MAIN();
