#include "driver/prebuild.h"

#include <gtest/gtest.h>

#include "driver/recording_observer.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

using test::TempDir;

constexpr std::uint64_t kMiB = 1024 * 1024;

// A file of `size` bytes without writing them (sparse).
void makeFile(const fs::path& path, std::uint64_t size) {
  test::writeFile(path, "");
  fs::resize_file(path, size);
}

struct Fixture {
  TempDir dir;
  RunState state;
  test::RecordingObserver observer;
  std::uint64_t workFree = ~0ULL;
  std::uint64_t documentsFree = ~0ULL;

  Fixture() {
    state.workBase = dir / "base";
    state.observer = &observer;
  }
  fs::path documents() const { return dir / "docs"; }
  bool run(const std::vector<fs::path>& files) {
    observer.codes.clear();
    return preBuildChecks(state, files, documents(), [this](const fs::path& p) -> std::optional<std::uint64_t> {
      return p == documents() ? documentsFree : workFree;
    });
  }
};

TEST(PreBuildChecks, StatusCodesOfFileLists) {
  struct Case {
    const char* what;
    std::vector<std::pair<const char*, std::uint64_t>> files;
    int status;  // 0: passes
  } cases[] = {
      {"one text", {{"a.txt", 10}}, 0},
      {"text and media", {{"a.TXT", 10}, {"p.bmp", 5}, {"s.mp3", 5}}, 0},
      {"two texts in any case", {{"a.txt", 10}, {"b/B.TXT", 10}}, status::kTooManyTexts},
      {"no text", {{"p.bmp", 5}}, status::kNoText},
      {"empty text", {{"a.txt", 0}}, status::kNoText},
      {"empty first text wins over a second", {{"a.txt", 0}, {"b.txt", 4}}, status::kTooManyTexts},
      {"listed file that no longer exists", {{"a.txt", 10}, {"gone.bmp", -1ULL}}, 0},
  };
  for (const auto& c : cases) {
    Fixture f;
    std::vector<fs::path> files;
    for (const auto& [name, size] : c.files) {
      fs::path p = f.dir / "src" / name;
      if (size != -1ULL) makeFile(p, size);
      files.push_back(p);
    }
    bool ok = f.run(files);
    EXPECT_EQ(ok, c.status == 0) << c.what;
    if (c.status) {
      EXPECT_EQ(f.observer.codes, std::vector<int>{c.status}) << c.what;
    } else {
      EXPECT_TRUE(f.observer.codes.empty()) << c.what;
    }
    EXPECT_FALSE(fs::exists(f.dir / "base" / "TempUsr")) << c.what << ": checks change no work tree";
  }
}

TEST(PreBuildChecks, FreeSpaceFormulaUsesCappedTotals) {
  // 900 MiB of pictures count as 800 MiB; 2 GiB of sounds as 1 GiB.
  Fixture f;
  makeFile(f.dir / "a.txt", 100);
  makeFile(f.dir / "p.jpg", 900 * kMiB);
  makeFile(f.dir / "s.rmp", 2048 * kMiB);
  const std::vector<fs::path> files{f.dir / "a.txt", f.dir / "p.jpg", f.dir / "s.rmp"};
  const std::uint64_t need = 5 * 800 * kMiB + 3 * 1024 * kMiB + 30 * 100;
  f.workFree = need;
  EXPECT_TRUE(f.run(files));
  EXPECT_EQ(f.state.mediaTotals.pictures, 900 * kMiB);  // uncapped, for the check pass
  EXPECT_EQ(f.state.mediaTotals.sounds, 2048 * kMiB);
  f.workFree = need - 1;
  EXPECT_FALSE(f.run(files));
  EXPECT_EQ(f.observer.codes, std::vector<int>{status::kDiskFull});
  f.workFree = need;
  f.documentsFree = 800 * kMiB + 1024 * kMiB + 100 - 1;
  EXPECT_FALSE(f.run(files));
  EXPECT_EQ(f.observer.codes, std::vector<int>{status::kDiskFull});
  f.documentsFree = 800 * kMiB + 1024 * kMiB + 100;
  EXPECT_TRUE(f.run(files));
}

TEST(PreBuildChecks, UnwritableWorkBase) {
  Fixture f;
  test::writeFile(f.dir / "base", "a file where the work folder should be");
  test::writeFile(f.dir / "a.txt", "x");
  EXPECT_FALSE(f.run({f.dir / "a.txt"}));
  EXPECT_EQ(f.observer.codes, std::vector<int>{status::kNotWritable});
}

TEST(PreBuildChecks, ProbeFolderIsRemovedAndNamedFromTheGuid) {
  Fixture f;
  test::writeFile(f.dir / "a.txt", "x");
  ASSERT_TRUE(f.run({f.dir / "a.txt"}));
  EXPECT_TRUE(fs::is_empty(f.dir / "base"));
  const std::uint8_t last[8] = {0x0A, 0x1B, 0, 0xFF, 1, 2, 3, 0x40};
  EXPECT_EQ(probeName(0x1234ABCD, 0x00EF, 0xBEEF, last), "1234ABCD-00EF-BEEF-A1B0FF12340");
}

TEST(PreBuildChecks, MediaListKeepsOneEntryPerNameWithItsRealPath) {
  Fixture f;
  test::writeFile(f.dir / "a.txt", "x");
  test::writeFile(f.dir / "one" / "Cat.BMP", "1");
  test::writeFile(f.dir / "two" / "cat.bmp", "2");
  ASSERT_TRUE(f.run({f.dir / "a.txt", f.dir / "one" / "Cat.BMP", f.dir / "two" / "cat.bmp"}));
  EXPECT_EQ(f.state.sourceTextPath, f.dir / "a.txt");
  ASSERT_EQ(f.state.mediaList.count("cat.bmp"), 1u);
  EXPECT_EQ(f.state.mediaList.at("cat.bmp"), f.dir / "one" / "Cat.BMP");  // the path opens as listed
  const fs::path* found = findMedia(f.state.mediaList, u"CAT.bmp");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(*found, f.dir / "one" / "Cat.BMP");
  EXPECT_EQ(findMedia(f.state.mediaList, u"dog.bmp"), nullptr);
}

TEST(PreBuildChecks, NamesStoredInShiftJisAreFoundUnderTheirCharacters) {
  struct Case {
    std::string onDisk;       // the name's bytes as the folder holds them
    std::u16string reference;  // as the source names the file
  } cases[] = {
      {"\x8a\x47.bmp", u"絵.bmp"},
      {"\xb6\xc5.GIF", u"ｶﾅ.gif"},
      {"\x89\xb9\x90\xba.MP3", u"音声.mp3"},
      {"絵.jpg", u"絵.JPG"},  // a UTF-8 name as it is
  };
  for (const Case& c : cases) {
    Fixture f;
    test::writeFile(f.dir / "a.txt", "x");
    test::writeFile(f.dir / c.onDisk, "1");
    ASSERT_TRUE(f.run({f.dir / "a.txt", f.dir / c.onDisk}));
    const fs::path* found = findMedia(f.state.mediaList, c.reference);
    ASSERT_NE(found, nullptr) << c.onDisk;
    EXPECT_EQ(*found, f.dir / c.onDisk);
  }
}

}  // namespace
}  // namespace dm
