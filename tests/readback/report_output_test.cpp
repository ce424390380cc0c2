#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>

#include "readback/readback.h"
#include "support/temp_dir.h"

namespace dm::readback {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct Outcome {
  int status = -1;
  std::string out, err;
};

Outcome inspect(const fs::path& path) {
  std::ostringstream out, err;
  Outcome o;
  o.status = runInspect({path.string()}, out, err);
  o.out = out.str();
  o.err = err.str();
  return o;
}

// A file of `size` bytes that takes no room on the disk.
fs::path sparseFile(const fs::path& path, std::uint64_t size) {
  test::writeFile(path, "");
  if (::truncate(path.c_str(), static_cast<off_t>(size)) != 0) ADD_FAILURE() << "cannot size " << path;
  return path;
}

TEST(InspectCommand, RefusesWhatIsNoContainerFile) {
  struct Case {
    const char* name;
    std::function<fs::path(const TempDir&)> make;
    int status;
    const char* said;  // part of the message on the error stream
  };
  const Case cases[] = {
      {"directory", [](const TempDir& d) { fs::create_directory(d / "a.drl"); return d / "a.drl"; }, 2,
       "a.drl is a directory, not a container"},
      {"FIFO", [](const TempDir& d) { ::mkfifo((d / "a.drl").c_str(), 0600); return d / "a.drl"; }, 2,
       "a.drl is not a regular file"},
      {"device", [](const TempDir&) { return fs::path("/dev/null"); }, 2, "/dev/null is not a regular file"},
      {"4 GiB sparse file", [](const TempDir& d) { return sparseFile(d / "a.drl", 4294967296ULL); }, 2,
       "a.drl has 4294967296 bytes; a container is smaller than 4 GiB"},
      {"missing file", [](const TempDir& d) { return d / "a.drl"; }, 2, "cannot read"},
      {"empty file", [](const TempDir& d) { test::writeFile(d / "a.drl", ""); return d / "a.drl"; }, 1,
       "a.drl is not a drill container (0 bytes; a container has at least 452)\n"},
      {"text file",
       [](const TempDir& d) {
         test::writeFile(d / "a.drl", std::string(600, 'x') + "\r\n");
         return d / "a.drl";
       },
       1, "a.drl is not a drill container (wrong magic at bytes 388-399)\n"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const fs::path path = c.make(dir);
    auto run = std::async(std::launch::async, [&] { return inspect(path); });
    if (run.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
      ADD_FAILURE() << c.name << ": the command blocked";
      // A reader waiting for a FIFO's writer gets one and then the end.
      const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
    }
    const Outcome o = run.get();
    EXPECT_EQ(o.status, c.status) << c.name;
    EXPECT_NE(o.err.find(c.said), std::string::npos) << c.name << ": " << o.err << o.out;
    EXPECT_EQ(o.err.rfind("drillmaker", 0), 0u) << c.name << ": " << o.err;
    EXPECT_EQ(o.out, "") << c.name << ": no report of a file that is no container";
  }
}

TEST(InspectCommand, HelpShowsTheUsage) {
  const std::vector<std::string> asked[] = {{"--help"}, {"-h"}, {"a.drl", "--help"}, {"--json", "-h"}};
  for (const auto& args : asked) {
    std::ostringstream out, err;
    EXPECT_EQ(runInspect(args, out, err), 0) << args[0];
    EXPECT_EQ(out.str().rfind("Usage: drillmaker inspect FILE.drl [--entries] [--json]\n", 0), 0u) << out.str();
    for (const char* option : {"--entries", "--json", "-h, --help", "Exit status"})
      EXPECT_NE(out.str().find(option), std::string::npos) << option;
    EXPECT_EQ(err.str(), "");
  }
}

#if defined(__SANITIZE_ADDRESS__)
#define DM_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DM_ADDRESS_SANITIZER 1
#endif
#endif

// Inspects `path` with no more than `spare` bytes of address space beyond
// what the process has, then ends the process: 0 when the command finished
// with a report of failed checks, 1 otherwise.
[[noreturn, maybe_unused]] void inspectWithin(const fs::path& path, std::uint64_t spare) {
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + spare;
  const rlimit cap{limit, limit};
  ::setrlimit(RLIMIT_AS, &cap);
  const Outcome o = inspect(path);
  std::_Exit(o.status == 1 && o.out.find("ok     total size") != std::string::npos ? 0 : 1);
}

// The header of a container of `size` zero bytes everywhere else: its magic,
// check value and total size hold, so the whole file is read.
[[maybe_unused]] std::string zeroContainerHeader(std::uint32_t size) {
  std::string header(416, '\0');
  unsigned keySum = 0;
  for (unsigned k : {0x19, 0x86, 0x04, 0x22, 0x03, 0x17, 0xEF, 0xAB}) keySum += k;
  const unsigned check = (0xA5A5 - keySum) & 0xFFFF;  // over eight zero bytes
  header[350] = static_cast<char>(check & 0xFF);
  header[351] = static_cast<char>(check >> 8);
  for (int i = 0; i < 4; ++i) header[384 + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
  for (int i = 0; i < 12; ++i) header[388 + i] = static_cast<char>("MirvaUDict10"[i] - 0x41);
  return header;
}

TEST(InspectCommand, ALargeFileIsReadInBoundedMemory) {
#ifdef DM_ADDRESS_SANITIZER
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
  // 256 MiB of zeros behind a header that makes it a container: a broken
  // one, but every byte is summed.
  TempDir dir;
  const fs::path path = sparseFile(dir / "zeros.drl", 256ULL << 20);
  {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file << zeroContainerHeader(256U << 20);
    ASSERT_TRUE(file.good());
  }
  EXPECT_EXIT(inspectWithin(path, 96ULL << 20), ::testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
}  // namespace dm::readback
