#include "textio/background_output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/failure.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

namespace fs = std::filesystem;

// Bytes that differ from block to block, so a block written twice, out of
// order or not at all shows.
std::string pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 1000) & 0xFF);
  return s;
}

TEST(BackgroundOutput, WritesEveryByteInOrder) {
  test::TempDir dir;
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  // Empty, small, one block exactly, across blocks, and more blocks than
  // may wait for the thread at once.
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, kMiB - 1, kMiB, kMiB + 1, 3 * kMiB + 17, 20 * kMiB + 5}) {
    const fs::path path = dir / ("out" + std::to_string(size));
    const std::string bytes = pattern(size);
    BackgroundOutput out(path);
    // In pieces of uneven sizes, and one character at a time at the start.
    std::size_t at = 0;
    for (; at < size && at < 10; ++at) out.put(bytes[at]);
    for (std::size_t piece = 65536 + 3; at < size; at += piece) {
      out.write(bytes.data() + at, static_cast<std::streamsize>(std::min(piece, size - at)));
    }
    out.close();
    EXPECT_EQ(test::readFile(path), bytes) << size;
  }
}

TEST(BackgroundOutput, TruncatesAndClosesOnce) {
  test::TempDir dir;
  const fs::path path = dir / "out";
  test::writeFile(path, "an older and longer content");
  BackgroundOutput out(path);
  out << "new";
  out.close();
  out.close();
  EXPECT_EQ(test::readFile(path), "new");
}

TEST(BackgroundOutput, ALeftOutputIsStillWritten) {
  test::TempDir dir;
  const fs::path path = dir / "out";
  { BackgroundOutput out(path); out << "kept"; }
  EXPECT_EQ(test::readFile(path), "kept");
}

TEST(BackgroundOutput, FailuresEndThePass) {
  test::TempDir dir;
  try {
    BackgroundOutput out(dir / "missing" / "out");
    FAIL() << "opened a file in a missing folder";
  } catch (const PassFailure& e) {
    EXPECT_NE(std::string(e.what()).find("can't open file "), std::string::npos) << e.what();
  }
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  BackgroundOutput out("/dev/full");
  out << pattern(3 << 20);
  try {
    out.close();
    FAIL() << "a full disk went unnoticed";
  } catch (const PassFailure& e) {
    EXPECT_EQ(std::string(e.what()), "can't write file /dev/full: No space left on device") << e.what();
  }
}

}  // namespace
}  // namespace dm
