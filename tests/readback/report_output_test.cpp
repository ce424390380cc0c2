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
    const char* said;  // part of the message on the error stream, or of the report
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
       "0 bytes: too small for a container"},
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
    EXPECT_NE((o.status == 2 ? o.err : o.out).find(c.said), std::string::npos) << c.name << ": " << o.err << o.out;
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
[[noreturn]] void inspectWithin(const fs::path& path, std::uint64_t spare) {
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + spare;
  const rlimit cap{limit, limit};
  ::setrlimit(RLIMIT_AS, &cap);
  const Outcome o = inspect(path);
  std::_Exit(o.status == 1 && o.out.find("total size") != std::string::npos ? 0 : 1);
}

TEST(InspectCommand, ALargeFileIsReadInBoundedMemory) {
#ifdef DM_ADDRESS_SANITIZER
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
  // 256 MiB of zeros: no container, but every byte is summed.
  TempDir dir;
  const fs::path path = sparseFile(dir / "zeros.drl", 256ULL << 20);
  EXPECT_EXIT(inspectWithin(path, 96ULL << 20), ::testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
}  // namespace dm::readback
