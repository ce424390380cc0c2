// Every byte a whole batch run writes (the container, the report and every
// file of the work tree kept with /d) stays what it was when the listings in
// tests/driver/golden/ were made: a restructuring or a speed-up that changes
// one byte of the output fails here, naming the file.
//
// Each listing holds one line per file: its path, size and a 64-bit FNV-1a
// digest of its bytes. Two things differ between runs of the same drill and
// are masked first: the container's GUID (16 bytes at offset 400) with the
// sums over it in the last 36 bytes, and the absolute work paths that the
// size report names. To remake the listings after an intended change of the
// output, run the test with DRILLMAKER_UPDATE_GOLDEN=1.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "driver/batch.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

const fs::path kGoldenFolder = fs::path(DRILLMAKER_SOURCE_DIR) / "tests" / "driver" / "golden";

std::uint64_t fnv1a(const std::string& bytes) {
  std::uint64_t h = 0xcbf29ce484222325ULL;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 0x100000001b3ULL;
  }
  return h;
}

// The bytes of a delivered or work-tree file with what differs between runs
// masked: the GUID and the sums over it in a container image, and `root`
// wherever the text names it.
std::string masked(const fs::path& file, std::string bytes, const std::string& root) {
  const std::string name = file.filename().string();
  const bool container = file.extension() == ".drl" || name == "Drill.bin" || name == "Drill.pre";
  if (container && bytes.size() >= 416 + 36) {
    bytes.replace(400, 16, 16, '\0');
    bytes.replace(bytes.size() - 36, 36, 36, '\0');
  }
  for (std::size_t at = bytes.find(root); at != std::string::npos; at = bytes.find(root, at))
    bytes.replace(at, root.size(), "<root>");
  return bytes;
}

// "path size digest" for every file below `root`, in path order.
std::string listing(const fs::path& root) {
  std::map<std::string, std::string> lines;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file() || e.path().filename() == platform::kInstanceLockName) continue;
    const std::string bytes = masked(e.path(), readFile(e.path()), root.string());
    char digest[17];
    std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(fnv1a(bytes)));
    const std::string path = fs::relative(e.path(), root).generic_string();
    lines[path] = path + ' ' + std::to_string(bytes.size()) + ' ' + digest + '\n';
  }
  std::string text;
  for (const auto& [path, line] : lines) text += line;
  return text;
}

// A fixed build date in a fixed time zone for the life of the object.
class FixedClock {
 public:
  FixedClock() {
    remember("SOURCE_DATE_EPOCH", source_);
    remember("TZ", tz_);
    ::setenv("SOURCE_DATE_EPOCH", "1796731200", 1);  // 8 December 2026, 12:00 UTC
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
  ~FixedClock() {
    restore("SOURCE_DATE_EPOCH", source_);
    restore("TZ", tz_);
    ::tzset();
  }

 private:
  static void remember(const char* name, std::optional<std::string>& value) {
    if (const char* v = std::getenv(name)) value = v;
  }
  static void restore(const char* name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  std::optional<std::string> source_, tz_;
};

std::string utf16le(std::u16string_view text) {
  std::string bytes("\xFF\xFE", 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::u16string number(unsigned n) {
  std::u16string s;
  for (char c : std::to_string(n)) s.push_back(static_cast<char16_t>(c));
  return s;
}

// A drill of `questions` questions made the same way every time: three
// category levels, kanji, kana, ASCII phrases and numbers, the styles, a
// colour, line breaks, the picture and the sound, and now and then a faulty
// line so that the report has findings.
std::string generatedDrill(unsigned questions) {
  const std::u16string words[] = {u"漢字",  u"ひらがな", u"カタカナ", u"the quick brown fox", u"jumps over",
                                  u"計算",  u"3.14",     u"12:30",    u"answer (a)",          u"日本の首都",
                                  u"東京都", u"apple",    u"りんご",   u"first step",          u"練習問題"};
  const std::u16string subjects[] = {u"算数", u"国語", u"英語"};
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  auto phrase = [&](unsigned n) {
    std::u16string s;
    for (unsigned k = 0; k < n; ++k) s += (k ? u" " : u"") + words[next(std::size(words))];
    return s;
  };
  std::u16string text = u"設定\t問題を読んで、正しい答えの番号を選んでください。\t\tドリル\t\t\r\n"
                        u"分類1\t分類2\t分類3\t問題番号\t問題\t正解\t解説\t制限時間\t選択肢1\t選択肢2\t選択肢3\t選択肢4\r\n";
  for (unsigned i = 0; i < questions; ++i) {
    std::u16string question = phrase(3 + next(6));
    switch (i % 7) {
      case 1: question = u"<B>" + question + u"</B>"; break;
      case 2: question = u"<I>" + question + u"</I>?"; break;
      case 3: question = u"<TC color=\"red\">" + question + u"</TC>"; break;
      case 4: question += u"<N>" + phrase(2); break;
      default: break;
    }
    if (i % 37 == 5) question += u"<N><P>cat.bmp</P>";
    std::u16string comment = i % 3 ? phrase(2) : u"";
    if (i % 53 == 7) comment = u"<V>cat.mp3</V>" + comment;
    const std::u16string answer = i % 97 == 11 ? u"9" : number(1 + next(4));  // 9: no such choice
    text += subjects[i % 3] + u"\t単元" + number(i / 40) + u"\t第" + number(i / 10 % 4) + u"回\t" + number(i % 10 + 1) +
            u"\t" + question + u"\t" + answer + u"\t" + comment + u"\t" + (i % 4 ? u"0:30" : u"") + u"\t" +
            phrase(1) + u"\t" + phrase(2) + u"\t" + number(i) + u"\t" + phrase(1) + u"\r\n";
  }
  return utf16le(text);
}

// A drill whose fields are windows of one cycle of a few dozen ASCII words,
// so that long runs repeat all through the text: the word selection then
// takes words of every length up to the longest, and most of a line goes
// into words.
std::string repeatedWordsDrill(unsigned questions) {
  std::vector<std::u16string> words;
  std::uint32_t seed = 777;
  auto next = [&seed](std::uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  for (unsigned i = 0; i < 40; ++i) {
    std::u16string w;
    for (unsigned k = 0, n = 3 + next(7); k < n; ++k) w.push_back(static_cast<char16_t>(u'a' + next(26)));
    words.push_back(w);
  }
  auto window = [&](unsigned n) {
    const unsigned start = next(static_cast<std::uint32_t>(words.size()));
    std::u16string s;
    for (unsigned k = 0; k < n; ++k) s += (k ? u" " : u"") + words[(start + k) % words.size()];
    return s;
  };
  std::u16string text = u"設定\t問題を読んで、正しい答えの番号を選んでください。\t\tドリル\t\t\r\n"
                        u"分類1\t分類2\t分類3\t問題番号\t問題\t正解\t解説\t制限時間\t選択肢1\t選択肢2\t選択肢3\t選択肢4\r\n";
  for (unsigned i = 0; i < questions; ++i) {
    text += u"words\tpart\tset " + number(i / 100) + u"\t" + number(i % 100 + 1) + u"\t" + window(8 + next(30)) +
            u"\t" + number(1 + next(4)) + u"\t" + window(next(20)) + u"\t0:30\t" + window(1 + next(4)) + u"\t" +
            window(1 + next(4)) + u"\t" + window(1 + next(4)) + u"\r\n";
  }
  return utf16le(text);
}

struct Drill {
  const char* name;                // names the listing golden/<name>.txt
  std::string (*source)();         // null: the source of the drill's folder as it is
  const char* sourceName;
  const char* folder = nullptr;    // the drill's folder in the source tree; null: the example
};

TEST(OutputIdentity, WholeRunsWriteTheBytesOfTheGoldenListings) {
  const Drill drills[] = {
      {"quickstart", nullptr, "quickstart.txt"},
      {"generated-600", [] { return generatedDrill(600); }, "generated.txt"},
      // Larger, so that the word libraries hold words of many lengths and
      // counts, and the worst case of the word selection in small.
      {"generated-3000", [] { return generatedDrill(3000); }, "generated.txt"},
      {"repeated-words-800", [] { return repeatedWordsDrill(800); }, "repeated.txt"},
      // Monochrome, grey and colour pictures of every depth, so that the
      // symbol, run-length and colour picture tables are all written.
      {"pictures", nullptr, "pictures.txt", "tests/driver/data/pictures"},
  };
  const bool update = std::getenv("DRILLMAKER_UPDATE_GOLDEN") != nullptr;
  FixedClock clock;
  for (const Drill& d : drills) {
    SCOPED_TRACE(d.name);
    TempDir dir;
    BatchEnvironment env{dir / "base", dir / "cwd", dir / "docs", nullptr, false, {}};
    const fs::path folder = env.startDir / "drill";
    fs::create_directories(folder);
    const fs::path example = fs::path(DRILLMAKER_SOURCE_DIR) / (d.folder ? d.folder : "examples/quickstart");
    if (d.source) {
      fs::copy(example / "cat.bmp", folder / "cat.bmp");
      fs::copy(example / "cat.mp3", folder / "cat.mp3");
      writeFile(folder / d.sourceName, d.source());
    } else {
      fs::copy(example, folder);
    }
    CommandLine cl;
    cl.action = CommandLine::Action::Batch;
    cl.folder = "drill";
    cl.keepWorkTree = true;
    std::ostringstream err;
    ASSERT_EQ(runBatch(cl, env, err), exitcode::kDone) << err.str();
    fs::remove_all(folder);  // the sources are not output

    const std::string actual = listing(dir.path());
    const fs::path golden = kGoldenFolder / (std::string(d.name) + ".txt");
    if (update) {
      writeFile(golden, actual);
      continue;
    }
    ASSERT_TRUE(fs::exists(golden)) << golden << " is missing; make it with DRILLMAKER_UPDATE_GOLDEN=1";
    EXPECT_EQ(actual, readFile(golden)) << "the output differs from " << golden;
  }
}

}  // namespace
}  // namespace dm
