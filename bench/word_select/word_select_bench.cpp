// Times the word selection of the libraries of a built drill. Reads split
// files (wdl_<lib>.spl of a /d work tree, written after selection), takes
// the separators out of their texts, selects again and prints the wall and
// processor time of the best of the runs, with the default length range and
// frequency table. Since the split files hold the selection's result, the
// selection must give back their texts: --check compares every line and
// fails (exit status 1) on the first difference. --log prints the progress
// texts ("scan len=... words=..." and so on), one per line.
//
//   word_select_bench [--check] [--log] [--runs N] FILE.spl ...
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "dictcompiler/word_select.h"

namespace {

double cpuNow() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double wallNow() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The texts of a split file (the fourth field of every line), as written.
std::vector<std::u16string> readTexts(const char* path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::u16string> texts;
  std::u16string line;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const auto ch = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (ch != u'\n') {
      line.push_back(ch);
      continue;
    }
    std::size_t field = 0;
    for (int tabs = 0; tabs < 3 && field != std::u16string::npos; ++tabs) {
      field = line.find(u'\t', field);
      if (field != std::u16string::npos) ++field;
    }
    texts.push_back(field == std::u16string::npos ? std::u16string() : line.substr(field));
    line.clear();
  }
  return texts;
}

}  // namespace

int main(int argc, char** argv) {
  bool check = false, log = false;
  int runs = 3;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--check") == 0)
      check = true;
    else if (std::strcmp(argv[i], "--log") == 0)
      log = true;
    else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
      runs = std::max(1, std::atoi(argv[++i]));
    else
      files.push_back(argv[i]);
  }
  int status = 0;
  for (const char* file : files) {
    const std::vector<std::u16string> expect = readTexts(file);
    std::vector<dm::SplitLine> plain;
    std::size_t units = 0;
    for (const std::u16string& t : expect) {
      std::u16string s;
      for (char16_t ch : t)
        if (ch != dm::kTokenSeparator) s.push_back(ch);
      units += s.size();
      plain.push_back(dm::SplitLine{0, 0, s});
    }
    double bestWall = 1e30, bestCpu = 1e30;
    std::vector<dm::SplitLine> lines;
    std::ostringstream progress;
    for (int r = 0; r < runs; ++r) {
      lines = plain;
      dm::CompileContext ctx;
      dm::CompileState s(ctx);
      progress.str("");
      s.out = &progress;
      const double w0 = wallNow(), c0 = cpuNow();
      dm::selectWords(lines, dm::defaultMinFreq(), 4, 200, &s);
      bestWall = std::min(bestWall, wallNow() - w0);
      bestCpu = std::min(bestCpu, cpuNow() - c0);
    }
    std::printf("%s: %zu lines, %zu units: %.3f s wall, %.3f s cpu\n", file, plain.size(), units, bestWall, bestCpu);
    if (log) {
      std::string text = progress.str();
      std::string line;
      for (char ch : text) {
        if (ch == '\r' || ch == '\n') {
          if (line.find("scan len=") != std::string::npos || line.find("select len=") != std::string::npos)
            std::printf("  %s\n", line.c_str());
          line.clear();
        } else {
          line.push_back(ch);
        }
      }
    }
    if (check) {
      for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].text != expect[i]) {
          std::printf("  line %zu differs from the split file\n", i);
          status = 1;
          break;
        }
      }
    }
  }
  return status;
}
