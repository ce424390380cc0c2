#include "media/sound_package.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "platform/platform.h"
#include "textio/case_fold.h"
#include "support/fifo.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace dm::sound {
namespace {

using test::readFile;
using test::writeFile;

std::uint32_t be32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(s.at(at + i));
  return v;
}

std::string le32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i) & 0xFF);
  return s;
}

std::tm december8() {
  std::tm t{};
  t.tm_mday = 8;
  t.tm_mon = 11;
  t.tm_year = 126;
  return t;
}

class SoundTest : public ::testing::Test {
 protected:
  SoundTest() {
    state.paths = WorkPaths::under(dir.path());
    for (const fs::path& p : {state.paths.middata / workfiles::kSoundFolder / workfiles::kSourceFolder, state.paths.destin / workfiles::kSoundFolder, state.paths.trash})
      fs::create_directories(p);
  }
  void addMedia(const std::string& name, const std::string& bytes) {
    const fs::path path = dir / "user" / name;
    writeFile(path, bytes);
    state.mediaList[lowerCaseUtf8(name)] = path;  // listed names are keyed in lower case
  }
  std::string image() { return readFile(state.paths.destin / workfiles::kSoundImage); }

  // The parts of a run that the sound phase sees.
  struct Run {
    WorkPaths paths;
    MediaList mediaList;
    struct {
      struct {
        std::vector<std::u16string> soundList;
      } media;
    } conversion;
    std::vector<std::string> warnings;
    SoundContext context(ProgressSink& sink) {
      return {paths, mediaList, conversion.media.soundList, warnings, sink};
    }
  };

  test::TempDir dir;
  Run state;
  test::RecordingSink log;
};

TEST_F(SoundTest, NoSoundFound) {
  state.conversion.media.soundList = {u"00000000a.mp3", u"00000001b.mp3"};
  copySounds(state.paths, state.mediaList, state.conversion.media.soundList);
  EXPECT_EQ(readFile(state.paths.middata / workfiles::kSoundFolder / workfiles::kSoundList), "snd00000\t0\nsnd00001\t0\n");
  writeSoundImage(state.paths, december8(), log);
  const std::string s = image();
  ASSERT_EQ(s.size(), 8u + 16u + 2u + 4u + 26u);
  EXPECT_EQ(be32(s, 0), 2u);
  EXPECT_EQ(be32(s, 4), 24u);
  EXPECT_EQ(be32(s, 8), 24u);
  EXPECT_EQ(be32(s, 12), 0u);
  EXPECT_EQ(be32(s, 16), 24u);
  EXPECT_EQ(be32(s, 20), 0u);
  // Sum of the bytes before: 2 + 3 x 24 = 74; 0xA5A5 - 74 = 0xA55B.
  EXPECT_EQ(s.substr(24, 6), std::string("\xA5\x5B\x08\x12\x26\x20", 6));
  EXPECT_EQ(s.substr(30), std::string(26, '\0'));
  EXPECT_EQ(readFile(workfiles::soundReportPath(state.paths)),
            "snd00000\t0\tdata\n  From : 000000 to 000000   Size: 000000 (      0)\n"
            "snd00001\t0\tdata\n  From : 000000 to 000000   Size: 000000 (      0)\n");
}

TEST_F(SoundTest, CopiesUnwrapsAndPacks) {
  addMedia("one.mp3", std::string("\xFF\xFB\x90\x00", 4));
  // An RMP whose "data" chunk starts at offset 12: written from offset 20.
  addMedia("two.rmp", "RIFF" + le32(100) + "RMP3" + "data" + le32(3) + "xyz");
  addMedia("empty.MP3", "");
  state.conversion.media.soundList = {u"00000000one.mp3", u"00000001two.rmp", u"00000002gone.mp3",
                                      u"00000003empty.mp3"};
  writeFile(state.paths.middata / workfiles::kSoundFolder / workfiles::kSourceFolder / "leftover", "x");
  copySounds(state.paths, state.mediaList, state.conversion.media.soundList);
  EXPECT_EQ(readFile(state.paths.middata / workfiles::kSoundFolder / workfiles::kSoundList),
            "snd00000\t1\nsnd00001\t1\nsnd00002\t0\nsnd00003\t1\n");
  EXPECT_EQ(readFile(state.paths.destin / workfiles::kSoundFolder / "snd00001.mp3"), "xyz");
  EXPECT_FALSE(fs::exists(state.paths.middata / workfiles::kSoundFolder / workfiles::kSourceFolder / "leftover"));

  writeSoundImage(state.paths, december8(), log);
  const std::string s = image();
  const std::size_t first = 8 + 4 * 8;
  ASSERT_EQ(s.size(), first + 7 + 32);
  EXPECT_EQ(be32(s, 4), first + 7);
  EXPECT_EQ(be32(s, 8), first);
  EXPECT_EQ(be32(s, 12), 4u);
  EXPECT_EQ(be32(s, 16), first + 4);
  EXPECT_EQ(be32(s, 20), 3u);
  EXPECT_EQ(be32(s, 24), first + 7) << "a size-0 entry has the offset the next sound starts at";
  EXPECT_EQ(be32(s, 28), 0u);
  EXPECT_EQ(be32(s, 32), first + 7);
  EXPECT_EQ(s.substr(first, 7), std::string("\xFF\xFB\x90\x00xyz", 7));
  // Signed bytes: 0xFF and 0xFB and 0x90 count as -1, -5 and -112.
  std::int64_t sum = 0;
  for (std::size_t i = 0; i < first + 7; ++i) sum += static_cast<signed char>(s[i]);
  const std::uint16_t check = static_cast<std::uint16_t>(((0xA5A5 - sum) % 65536 + 65536) % 65536);
  EXPECT_EQ(static_cast<unsigned char>(s[first + 7]), check >> 8);
  EXPECT_EQ(static_cast<unsigned char>(s[first + 8]), check & 0xFF);
  EXPECT_EQ(readFile(workfiles::soundReportPath(state.paths)),
            "snd00000\t1\tdata\n  From : 000000 to 000004   Size: 000004 (      4)\n"
            "snd00001\t1\tdata\n  From : 000004 to 000007   Size: 000003 (      3)\n"
            "snd00002\t0\tdata\n  From : 000007 to 000007   Size: 000000 (      0)\n"
            "snd00003\t1\tdata\n  From : 000007 to 000007   Size: 000000 (      0)\n");
}

TEST_F(SoundTest, VanishedSoundsTakeNoSpaceAndTheImageStaysComplete) {
  // Listed but deleted before the copy.
  addMedia("gone.mp3", "abc");
  fs::remove(state.mediaList["gone.mp3"]);
  state.conversion.media.soundList = {u"00000000gone.mp3"};
  copySounds(state.paths, state.mediaList, state.conversion.media.soundList);
  EXPECT_EQ(readFile(state.paths.middata / workfiles::kSoundFolder / workfiles::kSoundList), "snd00000\t0\n");
  // Copied, then deleted before the packing.
  writeFile(state.paths.middata / workfiles::kSoundFolder / workfiles::kSoundList, "snd00000\t1\n");
  writeSoundImage(state.paths, december8(), log);
  EXPECT_EQ(log.lines,
            std::vector<std::string>{"No sound data: " + (state.paths.destin / workfiles::kSoundFolder / "snd00000.mp3").string() + "!"});
  const std::string s = image();
  ASSERT_EQ(s.size(), 16u + 32u);
  EXPECT_EQ(be32(s, 12), 0u);
}

TEST_F(SoundTest, ListedSoundsThatCannotBeReadAreWarnedAboutAndNeverWaitedOn) {
  addMedia("good.mp3", "abc");
  addMedia("gone.mp3", "abc");
  addMedia("gone.rmp", "abc");
  addMedia("fifo.mp3", "");
  addMedia("fifo.rmp", "");
  for (const char* name : {"gone.mp3", "gone.rmp", "fifo.mp3", "fifo.rmp"}) fs::remove(state.mediaList[name]);
  for (const char* name : {"fifo.mp3", "fifo.rmp"}) ASSERT_TRUE(test::makeFifo(state.mediaList[name]));
  state.conversion.media.soundList = {u"00000000good.mp3", u"00000001gone.mp3", u"00000002gone.rmp",
                                      u"00000003fifo.mp3", u"00000004fifo.rmp", u"00000005unlisted.mp3"};
  std::vector<std::string> warnings;
  EXPECT_TRUE(test::endsWithoutWaitingOn(state.mediaList["fifo.mp3"], [&] {
    EXPECT_TRUE(test::endsWithoutWaitingOn(state.mediaList["fifo.rmp"], [&] {
      copySounds(state.paths, state.mediaList, state.conversion.media.soundList, &warnings);
    }));
  }));
  EXPECT_EQ(readFile(state.paths.middata / workfiles::kSoundFolder / workfiles::kSoundList),
            "snd00000\t1\nsnd00001\t0\nsnd00002\t0\nsnd00003\t0\nsnd00004\t0\nsnd00005\t0\n");
  auto warning = [&](const char* name, const char* reason) {
    return "the sound " + state.mediaList[name].string() + " could not be read during the build (" + reason +
           "); the drill plays nothing in its place";
  };
  EXPECT_EQ(warnings, (std::vector<std::string>{warning("gone.mp3", "No such file or directory"),
                                                warning("gone.rmp", "No such file or directory"),
                                                warning("fifo.mp3", "Not a regular file"),
                                                warning("fifo.rmp", "Not a regular file")}));
}

TEST_F(SoundTest, AFullDiskIsNamedWhenTheImageCannotBeWritten) {
  addMedia("one.mp3", "abc");
  state.conversion.media.soundList = {u"00000000one.mp3"};
  copySounds(state.paths, state.mediaList, state.conversion.media.soundList);
  fs::create_symlink("/dev/full", state.paths.destin / workfiles::kSoundImage);
  try {
    writeSoundImage(state.paths, december8(), log);
    FAIL() << "the image was written to a full device";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()),
              "can't write file " + (state.paths.destin / workfiles::kSoundImage).string() + ": No space left on device\n");
  }
}

TEST(UnwrapRmp, Table) {
  const std::string audio(5000, 'a');
  struct Case {
    const char* name;
    std::string in;
    std::string out;
  } cases[] = {
      {"data at 12", "RIFF" + le32(0) + "RMP3" + "data" + le32(4) + "abcd", "abcd"},
      {"data after a chunk", "RIFF" + le32(0) + "RMP3" + "fmt " + le32(2) + "xx" + "data" + le32(1) + "q", "q"},
      {"data header cut off", "RIFF" + le32(0) + "RMP3" + "da", ""},
      {"chunk length runs away", "RIFF" + le32(0) + "RMP3" + "LIST" + le32(0xFFFFFFF0) + "data" + le32(0), ""},
      {"empty", "", ""},
      {"long file", "RIFF" + le32(0) + "RMP3" + "data" + le32(0) + audio, audio},
      {"no data chunk, long file", "RIFF" + le32(0) + "RMP3" + "LIST" + le32(4100) + audio, audio.substr(4096 - 20)},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.in);
    std::ostringstream out;
    unwrapRmp(in, out);
    EXPECT_EQ(out.str(), c.out) << c.name;
  }
}

TEST(SoundImage, CheckValueAndDate) {
  EXPECT_EQ(checkValue(0), 0xA5A5);
  EXPECT_EQ(checkValue(0xA5A5), 0);
  EXPECT_EQ(checkValue(-1), 0xA5A6);
  EXPECT_EQ(checkValue(0xA5A6), 0xFFFF);
  EXPECT_EQ(bcdDate(december8()), (std::array<std::uint8_t, 4>{0x08, 0x12, 0x26, 0x20}));
  std::tm t{};
  t.tm_mday = 31;
  t.tm_mon = 0;
  t.tm_year = 99;
  EXPECT_EQ(bcdDate(t), (std::array<std::uint8_t, 4>{0x31, 0x01, 0x99, 0x19}));
  EXPECT_EQ(workfiles::soundName(0x1a), "snd0001a");
}

TEST_F(SoundTest, PhaseDatesTheImageWithTheBuildTime) {
  ::setenv("SOURCE_DATE_EPOCH", "1796731200", 1);  // 8 December 2026, 12:00 UTC
  state.conversion.media.soundList = {u"00000000a.mp3"};
  buildSound(state.context(log));
  const std::array<std::uint8_t, 4> date = bcdDate(platform::buildTime());
  const std::string s = image();
  ASSERT_EQ(s.size(), 16u + 32u);
  EXPECT_EQ(s.substr(18, 4), std::string(date.begin(), date.end()));
  ::unsetenv("SOURCE_DATE_EPOCH");
}

}  // namespace
}  // namespace dm::sound
