// Times the dictionary compile on generated drills of 5,000, 10,000 and
// 20,000 questions (or the counts given as arguments) and prints the time of
// every phase and the peak memory. The drills are BlockText as the
// conversion writes it, with question, choice and comment texts drawn from a
// vocabulary with a skewed word frequency, like real quiz text.
//
//   dictcompiler_bench [--keep FOLDER] [questions ...]
// --keep leaves the work tree of the last drill in FOLDER.
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dictcompiler/dictcompiler.h"

namespace fs = std::filesystem;

namespace {

class TextMaker {
 public:
  explicit TextMaker(unsigned seed) : rng_(seed) {
    for (int i = 0; i < 4000; ++i) {
      std::u16string w;
      const int len = 2 + static_cast<int>(rng_() % 5);
      for (int k = 0; k < len; ++k)
        w.push_back(static_cast<char16_t>(k % 2 ? 0x3041 + rng_() % 80 : 0x4E00 + rng_() % 2500));
      words_.push_back(w);
    }
    double sum = 0;
    for (int i = 0; i < 4000; ++i) sum += 1.0 / (i + 1);
    double acc = 0;
    for (int i = 0; i < 4000; ++i) cumulative_.push_back(acc += 1.0 / (i + 1) / sum);
  }

  std::u16string sentence(int chars) {
    std::u16string s;
    std::uniform_real_distribution<double> u(0, 1);
    while (static_cast<int>(s.size()) < chars) {
      const auto it = std::lower_bound(cumulative_.begin(), cumulative_.end(), u(rng_));
      s += words_[std::min<std::size_t>(it - cumulative_.begin(), words_.size() - 1)];
      if (rng_() % 7 == 0) s += u'、';
    }
    s += u'。';
    return s;
  }
  std::mt19937& rng() { return rng_; }

 private:
  std::mt19937 rng_;
  std::vector<std::u16string> words_;
  std::vector<double> cumulative_;
};

std::u16string w(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The drill's BlockText (without the mark) and its tag census.
std::u16string makeDrill(int questions, std::vector<std::u16string>& census) {
  TextMaker t(12345);
  std::u16string out;
  std::set<std::u16string> tags;
  auto line = [&](const std::u16string& tag, const std::u16string& value) {
    tags.insert(tag);
    out += tag;
    out += u'\t';
    out += value;
    out += u"\r\n";
  };
  for (int i = 0; i < questions; ++i) {
    char address[16];
    std::snprintf(address, sizeof address, "%08x0001", i);
    line(u"START_BLOCK_Word", u"");
    line(u"HW", u"問題：" + w(std::to_string(i + 1)));
    line(u"GEN_t", i % 3 ? u"" : u"01:30");
    line(u"DF_q", t.sentence(30 + static_cast<int>(t.rng()() % 60)));
    line(u"DF_l", u"");
    line(u"START_BLOCK_GEN_EXT", u"");
    const int right = 1 + static_cast<int>(t.rng()() % 4);
    line(u"LST", w(std::to_string(right)));
    for (int c = 0; c < 4; ++c)
      line(u"JUMP", u"\uE054\uE0FE" + std::u16string(1, static_cast<char16_t>(0xF821 + c)) + u"\uE0FF " +
                        t.sentence(4 + static_cast<int>(t.rng()() % 8)) + u"\uE055" + w(address));
    line(u"END_BLOCK_GEN_EXT", u"");
    line(u"DF_l_1", u"");
    line(u"START_BLOCK_Note", u"");
    line(u"DF_h", u"問題：" + w(std::to_string(i + 1)));
    line(u"DF_x", u"正解：");
    line(u"DF_a", u"\uE0FE\uF821\uE0FF " + t.sentence(6));
    if (i % 2 == 0) {
      line(u"DF_l", u"");
      line(u"DF_y", u"解説：");
      line(u"DF_c", t.sentence(40 + static_cast<int>(t.rng()() % 80)));
    }
    line(u"END_BLOCK_Note", u"");
    line(u"END_BLOCK_Word", u"");
    out += u"\r\n";
  }
  census.assign(tags.begin(), tags.end());
  return out;
}

void writeUtf16(const fs::path& path, const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  fs::path keep;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--keep" && i + 1 < argc)
      keep = argv[++i];
    else
      counts.push_back(std::atoi(argv[i]));
  }
  if (counts.empty()) counts = {5000, 10000, 20000};

  const fs::path root =
      keep.empty() ? fs::temp_directory_path() / ("dictcompiler-bench-" + std::to_string(::getpid())) : keep;
  std::printf("Seconds per phase: processor time of all threads (elapsed time in brackets).\n");
  std::printf("%9s %10s %15s %15s %15s %15s %15s %15s %15s\n", "questions", "cln bytes", "load", "select",
              "generate", "pack", "tables", "headers", "total");
  for (int n : counts) {
    fs::remove_all(root);
    for (const char* d : {"Middata/Dict", "Middata/Source", "Destin/Dict", "Trash"}) fs::create_directories(root / d);
    dm::CompileContext ctx;
    const std::u16string drill = makeDrill(n, ctx.tagList);
    writeUtf16(root / "Middata/Source/Drill.cln", drill);
    ctx.kind = dm::CompileKind::kEntries;
    ctx.internalName = "Drill";
    ctx.trash = root / "Trash";
    ctx.dictDir = root / "Middata/Dict";
    ctx.dictOutDir = root / "Destin/Dict";
    ctx.sourcePath = root / "Middata/Source/Drill.cln";
    ctx.sink = &dm::quietSink();  // the progress texts are formatted as in a run, then dropped
    dm::CompileTimings timings;
    ctx.timings = &timings;
    dm::compileDictionary(ctx);
    std::printf("%9d %10zu", n, 2 + 2 * drill.size());
    dm::PhaseTime total;
    for (const dm::PhaseTime& p :
         {timings.load, timings.select, timings.generate, timings.pack, timings.tables, timings.headers}) {
      std::printf(" %6.3f (%6.3f)", p.cpu, p.wall);
      total.cpu += p.cpu;
      total.wall += p.wall;
    }
    std::printf(" %6.3f (%6.3f)\n", total.cpu, total.wall);
    std::fflush(stdout);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("peak resident memory: %ld MiB\n", usage.ru_maxrss / 1024);
  if (keep.empty()) fs::remove_all(root);
  return 0;
}
