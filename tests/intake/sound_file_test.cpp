#include "intake/sound_file.h"

#include <gtest/gtest.h>

#include "pictures/riff_chunk.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

std::string be32(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}
std::string le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

constexpr std::uint32_t kHeader = 0xFFFB9064;         // MPEG-1 Layer III, 128 kbit/s, 44.1 kHz
constexpr std::uint32_t kOtherBitrate = 0xFFFBA064;   // 160 kbit/s
constexpr std::uint32_t kPadded = 0xFFFB9264;         // padding bit set
constexpr std::uint32_t kOtherRate = 0xFFFB9464;      // 48 kHz

// Two headers with filler between them.
std::string frames(std::uint32_t a, std::uint32_t b) { return be32(a) + std::string(100, '\0') + be32(b); }

TEST(Mp3Headers, AgreementRules) {
  struct Case {
    const char* what;
    std::string block;
    bool agree;
  } cases[] = {
      {"same header twice", frames(kHeader, kHeader), true},
      {"only the bitrate differs", frames(kHeader, kOtherBitrate), true},
      {"padding differs", frames(kHeader, kPadded), false},
      {"sample rate differs", frames(kHeader, kOtherRate), false},
      {"one header only", be32(kHeader) + std::string(200, '\0'), false},
      {"no header", std::string(4096, 'x'), false},
      {"Layer II headers do not count", frames(0xFFFD9064, 0xFFFD9064), false},
      {"bitrate index 15 does not count", frames(0xFFFBF064, 0xFFFBF064), false},
      {"sample-rate index 3 does not count", frames(0xFFFB9C64, 0xFFFB9C64), false},
      {"emphasis 2 does not count", frames(0xFFFB9066, 0xFFFB9066), false},
      {"later header agrees with an earlier remembered one",
       be32(kHeader) + be32(kPadded) + be32(kOtherRate) + be32(kOtherBitrate), true},
      {"empty block", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(mp3HeadersAgree(c.block), c.agree) << c.what;
}

TEST(RiffChunkWalk, FindsTheDataChunk) {
  const std::string head = "RIFF" + le32(0) + "RMP3";
  struct Case {
    const char* what;
    std::string bytes;
    std::optional<std::size_t> at;
  } cases[] = {
      {"data first", head + "data" + le32(4) + "abcd", 12},
      {"after another chunk", head + "fmt " + le32(6) + "123456" + "data" + le32(0), 26},
      {"header cut short", head + "dat", std::nullopt},
      {"huge length leaves the bytes", head + "LIST" + le32(0xFFFFFFFF) + "data" + le32(0), std::nullopt},
      {"nothing after the head", head, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(findRiffDataChunk(c.bytes, kRmpFirstChunk), c.at) << c.what;
  EXPECT_EQ(findRiffDataChunk("data", 100), std::nullopt);
}

TEST(CheckSoundFile, FilesByKindAndContent) {
  test::TempDir dir;
  const std::string good = frames(kHeader, kOtherBitrate);
  // A tag of 16 bytes: scanned with the frames in the first block.
  const std::string id3Small =
      "ID3\x03" + std::string("\0\0\0\0\0\x10", 6) + std::string(16, 'T') + frames(kHeader, kHeader);
  // A tag of 10,000 bytes (and a footer): the frames start after it.
  std::string id3Large = "ID3\x04";
  id3Large += std::string("\0\x10", 2) + std::string("\0\0\x4E\x10", 4);  // 0x4E << 7 | 0x10 = 10000
  id3Large += std::string(10000 + 10, 'T') + frames(kHeader, kHeader);
  const std::string rmp = "RIFF" + le32(100) + "RMP3" + "fmt " + le32(4) + "abcd" + "data" + le32(8) + good;
  struct Case {
    std::string name;
    std::string bytes;
    int result;
  } cases[] = {
      {"empty.mp3", "", 0},
      {"good.mp3", good, 0},
      {"padded.mp3", frames(kHeader, kPadded), -1},
      {"noise.mp3", std::string(5000, 'n'), -1},
      {"small_tag.mp3", id3Small, 0},
      {"large_tag.mp3", id3Large, 0},
      {"tag_only.mp3", id3Large.substr(0, 5000), -1},
      {"UPPER.MP3", good, 0},
      {"empty.rmp", "", 0},
      {"good.rmp", rmp, 0},
      {"no_data.rmp", "RIFF" + le32(100) + "RMP3" + "fmt " + le32(5000) + std::string(100, 'x'), -1},
      {"wrong_kind.rmp", "RIFF" + le32(100) + "WAVE" + "data" + le32(0), -1},
      {"short.rmp", "RIF", -1},
      {"song.wav", good, -3},
  };
  for (const Case& c : cases) {
    test::writeFile(dir / c.name, c.bytes);
    EXPECT_EQ(CheckSoundFile(dir / c.name), c.result) << c.name;
  }
  EXPECT_EQ(CheckSoundFile(dir / "missing.mp3"), -1);
  EXPECT_EQ(CheckSoundFile(dir / "missing.wav"), -1);
  std::filesystem::create_directories(dir / "folder.mp3");
  EXPECT_EQ(CheckSoundFile(dir / "folder.mp3"), -1);
}

}  // namespace
}  // namespace dm
