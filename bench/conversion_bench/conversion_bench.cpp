// Throughput of the entry conversion over a generated Drill_2.uni of 20,000
// records (about 10 MB): the whole convertDrill over files in a temporary
// work tree, and the line passes one by one over in-memory streams.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "conversion/balance_pass.h"
#include "conversion/conversion.h"
#include "conversion/field_pass.h"
#include "conversion/jump_pass.h"
#include "conversion/split_pass.h"
#include "conversion/tag_code_pass.h"
#include "textio/wide_line.h"

namespace dm {
namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 20000;

std::u16string repeat(const std::u16string& s, int n) {
  std::u16string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

std::string bytes(const std::u16string& text) {
  std::string b = "\xFF\xFE";
  b.reserve(text.size() * 2 + 2);
  for (char16_t c : text) {
    b.push_back(static_cast<char>(c & 0xFF));
    b.push_back(static_cast<char>(c >> 8));
  }
  return b;
}

// Records with styled and coloured text, line breaks, a picture every tenth
// record, a sound every seventh, a long question every fifth and four cases.
const std::string& validated() {
  static const std::string text = [] {
    std::u16string s = u"drill\thow to use<N>second line\t\tドリル\t\t\r\n";
    s += u"c1\tc2\tc3\tno\tquestion\tanswer\tcomment\ttime\tcase1\tcase2\tcase3\tcase4\r\n";
    const std::u16string body = repeat(u"<B>問題</B>説明の文、テキスト。", 6);
    const std::u16string longBody = repeat(u"長い問題文の一部です。", 60);
    const std::u16string comment =
        repeat(u"解説 <TC color=\"red\">赤</TC> comment<N>", 4) + u"<TC color=\"00ff7F\">x</TC>";
    for (int i = 0; i < kRecords; ++i) {
      s += u"Chapter " + utf8ToUtf16(std::to_string(i / 5000)) + u"\tSection " +
           utf8ToUtf16(std::to_string(i / 500)) + u"\tPart " + utf8ToUtf16(std::to_string(i / 50)) + u"\t" +
           utf8ToUtf16(std::to_string(i % 9999)) + u"\t";
      if (i % 10 == 0) s += u"<P>pic" + utf8ToUtf16(std::to_string(i % 30)) + u".bmp</P><N>";
      if (i % 7 == 0) s += u"<V>s" + utf8ToUtf16(std::to_string(i % 20)) + u".mp3</V>";
      s += (i % 5 == 0) ? longBody : body;
      s += u"\t" + utf8ToUtf16(std::to_string(i % 4 + 1)) + u"\t" + comment +
           u"\t1:30\tone<N>more\t<I>two</I>\tthree\tfour\r\n";
    }
    return bytes(s);
  }();
  return text;
}

int fakeConverter(const fs::path&, const fs::path&, std::int32_t, std::int32_t, PictureInfo& info) {
  info.kind = 1;
  info.fileSize = 1000;
  return 1;
}

struct WorkTree {
  WorkTree() {
    base = fs::temp_directory_path() / ("dm-conversion-bench-" + std::to_string(::getpid()));
    state.paths = WorkPaths::under(base);
    for (const fs::path& p : {state.paths.trash, state.paths.middata / "Source", state.paths.middata / "Menu",
                              state.paths.middata / "BmpExt"}) {
      fs::create_directories(p);
    }
    std::ofstream(workfiles::checkedSourcePath(state.paths), std::ios::binary) << validated();
    fs::create_directories(base / "media");
    for (int i = 0; i < 30; ++i) {
      std::string name = "pic" + std::to_string(i) + ".bmp";
      std::ofstream(base / "media" / name) << "x";
      state.mediaList[name] = base / "media" / name;
    }
    for (int i = 0; i < 20; ++i) {
      std::string name = "s" + std::to_string(i) + ".mp3";
      std::ofstream(base / "media" / name) << "x";
      state.mediaList[name] = base / "media" / name;
    }
  }
  ~WorkTree() {
    std::error_code ec;
    fs::remove_all(base, ec);
  }
  // What the conversion's context refers to.
  struct Parts {
    WorkPaths paths;
    MediaList mediaList;
    BuildOptions options;
    ConversionState conversion;
    std::vector<std::string> warnings;
    ConversionContext context() {
      return ConversionContext{paths, mediaList, options, conversion, warnings, quietSink()};
    }
  };
  fs::path base;
  Parts state;
};

void BM_ConvertDrill(benchmark::State& bm) {
  WorkTree tree;
  for (auto _ : bm) {
    resetConversion(tree.state.conversion);
    convertDrill(tree.state.context(), fakeConverter);
  }
  bm.SetBytesProcessed(static_cast<std::int64_t>(bm.iterations()) *
                       static_cast<std::int64_t>(validated().size()));
}
BENCHMARK(BM_ConvertDrill)->Unit(benchmark::kMillisecond);

// The later stages, produced once by a full conversion.
const std::string& stageBytes(const char* name) {
  static WorkTree tree;
  static const bool converted = [] {
    convertDrill(tree.state.context(), fakeConverter);
    return true;
  }();
  (void)converted;
  static std::map<std::string, std::string> cache;
  auto it = cache.find(name);
  if (it == cache.end()) {
    std::ifstream in(tree.state.paths.trash / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    it = cache.emplace(name, s.str()).first;
  }
  return it->second;
}

template <typename Pass>
void runPass(benchmark::State& bm, const char* input, Pass pass) {
  const std::string& in = stageBytes(input);
  for (auto _ : bm) {
    std::istringstream is(in);
    std::ostringstream os;
    pass(is, os);
    benchmark::DoNotOptimize(os.str().size());
  }
  bm.SetBytesProcessed(static_cast<std::int64_t>(bm.iterations()) * static_cast<std::int64_t>(in.size()));
}

void BM_TagToCode(benchmark::State& bm) {
  runPass(bm, workfiles::kClean1, [](std::istream& i, std::ostream& o) { tagToCodePass(i, o); });
}
void BM_Split(benchmark::State& bm) {
  std::ostringstream trace;
  runPass(bm, workfiles::kClean2, [&](std::istream& i, std::ostream& o) { splitPass(i, o, trace); });
}
void BM_Jump(benchmark::State& bm) {
  runPass(bm, workfiles::kClean6, [](std::istream& i, std::ostream& o) { jumpPass(i, o); });
}
void BM_Balance(benchmark::State& bm) {
  runPass(bm, workfiles::kClean7, [](std::istream& i, std::ostream& o) { balancePass(i, o); });
}
BENCHMARK(BM_TagToCode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Split)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Jump)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Balance)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dm

BENCHMARK_MAIN();
