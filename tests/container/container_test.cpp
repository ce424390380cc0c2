// End to end: the final assembly over a work tree holding the compiler's
// outputs, then the delivered file read back and its first entry decoded
// through WordLib.bin and TagRule.bin.
#include "container/container.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>
#include <vector>

#include "container/checksum.h"
#include "container/scrambler.h"
#include "driver/dictionary_phases.h"
#include "media/font_image.h"
#include "driver/run_state.h"
#include "textio/byte_order.h"
#include "images/compiler_fixture.h"
#include "platform/failure.h"
#include "support/recording_sink.h"
#include "textio/wide_line.h"

namespace dm {
namespace {

using namespace container;
using test::readFile;
using test::TempDir;
using test::writeFile;

// Reads a component image as a stream of nibbles, first nibble high.
class Nibbles {
 public:
  Nibbles(std::string_view bytes) : bytes_(bytes) {}
  int at(std::size_t i) const {
    if (i / 2 >= bytes_.size()) return -1;
    auto b = static_cast<std::uint8_t>(bytes_[i / 2]);
    return i % 2 == 0 ? b >> 4 : b & 0x0F;
  }

 private:
  std::string_view bytes_;
};

// The decoding tables of one library in WordLib.bin.
struct Library {
  std::vector<std::uint32_t> wdno, wordOffset, dsp, dspOffset;
  std::string dat, cod, sdx;
};

std::vector<Library> readWordLib(std::string_view w) {
  std::vector<std::vector<std::uint32_t>> tables[4];
  std::size_t end = 0;
  for (int t = 0; t < 4; ++t) {
    const std::size_t d = 16 * t;
    const std::uint32_t offset = loadLE32(w, d), rows = loadLE16(w, d + 8);
    const std::uint32_t element = static_cast<std::uint8_t>(w[d + 10]), columns = static_cast<std::uint8_t>(w[d + 11]);
    for (std::uint32_t r = 0; r < rows; ++r) {
      std::vector<std::uint32_t> row;
      for (std::uint32_t c = 0; c < columns; ++c) {
        const std::size_t at = offset + (r * columns + c) * element;
        row.push_back(element == 1 ? static_cast<std::uint8_t>(w[at]) : loadLE32(w, at));
      }
      tables[t].push_back(row);
    }
    end = offset + loadLE32(w, d + 4);
  }
  EXPECT_EQ(w[end], 6);
  EXPECT_EQ(w[end + 1], 20);
  std::vector<Library> libs;
  for (std::size_t r = 0; r < tables[0].size(); ++r) {
    const std::size_t e = end + 2 + 32 * r;
    Library lib{tables[0][r], tables[1][r], tables[2][r], tables[3][r], {}, {}, {}};
    lib.dat = std::string(w.substr(loadLE32(w, e + 8), loadLE32(w, e + 12)));
    lib.cod = std::string(w.substr(loadLE32(w, e + 16), loadLE32(w, e + 20)));
    lib.sdx = std::string(w.substr(loadLE32(w, e + 24), loadLE32(w, e + 28)));
    EXPECT_EQ(loadLE32(w, e), lib.cod.size() / 2);
    EXPECT_EQ(loadLE32(w, e + 4), lib.sdx.size() / 3);
    libs.push_back(lib);
  }
  return libs;
}

// A prefix code: its length from the cumulative first-nibble counts, its
// number from the offsets of its length.
std::uint32_t readCode(const Nibbles& n, std::size_t& pos, const std::vector<std::uint32_t>& counts,
                       const std::vector<std::uint32_t>& offsets) {
  const int first = n.at(pos);
  std::size_t length = 0;
  while (length + 1 < counts.size() && static_cast<std::uint32_t>(first) >= counts[length]) ++length;
  std::uint32_t code = 0;
  for (std::size_t i = 0; i <= length; ++i) code = code << 4 | static_cast<std::uint32_t>(n.at(pos++));
  return code - offsets[length];
}

std::u16string word(const Library& lib, std::uint32_t number) {
  const std::size_t block = number / 20;
  std::size_t pos = static_cast<std::uint8_t>(lib.sdx[3 * block]) << 16 |
                    static_cast<std::uint8_t>(lib.sdx[3 * block + 1]) << 8 | static_cast<std::uint8_t>(lib.sdx[3 * block + 2]);
  Nibbles n(lib.dat);
  std::u16string previous;
  for (std::uint32_t i = 0; i <= number % 20; ++i) {
    std::u16string w = previous.substr(0, static_cast<std::size_t>(n.at(pos++)));
    while (n.at(pos) != 0xF) {
      std::uint32_t c = readCode(n, pos, lib.dsp, lib.dspOffset);
      w.push_back(static_cast<char16_t>(loadLE16(std::string{lib.cod[2 * c + 1], lib.cod[2 * c]}, 0)));
    }
    ++pos;
    previous = w;
  }
  return previous;
}

// The lines of the first entry of Dic.bin: tag codes up to F, padding to a
// byte, then per line word codes up to F; an empty line ends the entry.
std::vector<std::u16string> firstEntry(std::string_view dic, std::string_view tagRule, const std::vector<Library>& libs) {
  const std::uint32_t offset = loadLE32(dic, 0), size = loadLE32(dic, 4);
  Nibbles n(dic.substr(offset, size));
  std::size_t pos = 0;
  std::vector<int> tags;
  for (int ordinal = 0, nib; (nib = n.at(pos++)) != 0xF;) {
    if (nib == 0xE) {
      ordinal += 14;
      continue;
    }
    tags.push_back(ordinal + nib);
    ordinal = 0;
  }
  pos += pos % 2;
  std::vector<std::u16string> lines;
  for (int tag : tags) {
    const Library& lib = libs.at(loadLE16(tagRule, 16 + 4 * tag + 2) - 1);
    std::u16string line;
    while (n.at(pos) != 0xF) line += word(lib, readCode(n, pos, lib.wdno, lib.wordOffset));
    ++pos;
    lines.push_back(line);
  }
  EXPECT_EQ(n.at(pos), 0xF);  // the entry's separator line
  return lines;
}

class FinalAssembly : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SOURCE_DATE_EPOCH", "1766534400", 1);  // 2025-12-24 00:00 UTC
    setenv("TZ", "UTC", 1);
    tzset();
    state_.paths = WorkPaths::under(dir_.path());
    for (const fs::path& p : {state_.paths.middata / workfiles::kDictFolder, state_.paths.middata / workfiles::kMenuFolder,
                              state_.paths.middata / workfiles::kSourceFolder, state_.paths.trash, state_.paths.destin / workfiles::kDictFolder,
                              state_.paths.destin / workfiles::kMenuFolder})
      fs::create_directories(p);
    test::writeDrillBody(state_.paths.destin / workfiles::kDictFolder);
    state_.entryCount = 1;
  }
  void TearDown() override { unsetenv("SOURCE_DATE_EPOCH"); }

  // As the build pass does: the font image, then the final assembly.
  std::string assemble() {
    testing::internal::CaptureStdout();
    buildFontImage(state_.paths, sink_);
    assembleContainer(context());
    testing::internal::GetCapturedStdout();
    return readFile(state_.paths.destin / workfiles::kContainer);
  }
  // What the build pass hands the final assembly for this run.
  AssemblyContext context() {
    settings_ = ContainerSettings{};
    settings_.entryCount = state_.entryCount;
    return {state_.paths, state_.options, state_.params, settings_, sink_};
  }
  static std::string component(const std::string& file, int slot) {
    return file.substr(loadLE32(file, 16 + 16 * slot + 2), loadLE32(file, 16 + 16 * slot + 6));
  }

  TempDir dir_;
  RunState state_;
  ContainerSettings settings_;
  test::RecordingSink sink_;
};

TEST_F(FinalAssembly, DeliveredContainerReadsBack) {
  const std::string bin = assemble();
  const std::string pre = readFile(state_.paths.destin / workfiles::kContainerDraft);
  ASSERT_GT(bin.size(), 416u + 36);
  ASSERT_EQ(bin.size(), pre.size());
  EXPECT_EQ(loadLE32(bin, 384), bin.size());

  // The scrambled header and its check value.
  const Key key = *parseKey(kKeyText);
  Header scrambled;
  std::copy(bin.begin(), bin.begin() + kScrambledEnd, scrambled.begin());
  EXPECT_EQ(loadLE16(bin, 350), headerCheckValue(scrambled, key));
  EXPECT_EQ(bin.substr(322, 14), "VELMOR ENCRYPT");
  Header plain = unscrambleHeader(scrambled, key);
  std::string header(plain.begin(), plain.end());
  header += bin.substr(352, 64);
  EXPECT_EQ(header, pre.substr(0, 416));
  EXPECT_EQ(header.substr(0, 16), std::string("\x01\x15\x00\x00\xff\xff\xff\xff\x00\x01\x00\x00\x00\x00\x00\x00", 16));

  // Directory: Dic, ItemAddr, Index, WordLib and TagRule only.
  std::string file = header + bin.substr(416);
  for (int s = 0; s < 21; ++s) {
    const bool listed = s == kSlotDic || s == kSlotItemAddr || s == kSlotIndex || s == kSlotWordLib || s == kSlotTagRule;
    EXPECT_EQ(loadLE32(file, 16 + 16 * s + 2) != 0, listed) << s;
  }
  EXPECT_EQ(component(file, kSlotDic), readFile(state_.paths.destin / "Dic.bin"));
  EXPECT_EQ(component(file, kSlotIndex).size(), 80u);

  // Checksum and trailer.
  const std::size_t end = file.size() - 36;
  Checksum checksum;
  checksum.update(reinterpret_cast<const std::uint8_t*>(file.data()), end);
  EXPECT_EQ(loadLE32(file, end), checksum.value());
  TrailerSums sums;
  sums.update(reinterpret_cast<const std::uint8_t*>(file.data()), end + 4);
  std::tm when{};
  when.tm_year = 125;
  when.tm_mon = 11;
  when.tm_mday = 24;
  EXPECT_EQ(file.substr(end + 4), sums.trailer(when));
  EXPECT_EQ(file[end + 4 + 5], 0);

  // The first entry, decoded.
  std::vector<Library> libs = readWordLib(component(file, kSlotWordLib));
  ASSERT_EQ(libs.size(), 1u);
  EXPECT_EQ(firstEntry(component(file, kSlotDic), component(file, kSlotTagRule), libs),
            (std::vector<std::u16string>{u"abc", u"cab"}));

  // The work files the phase leaves: reports, no error lines, the images.
  EXPECT_EQ(readFile(state_.paths.destin / workfiles::kMissingImages), "");
  const std::string summary = readFile(state_.paths.root / workfiles::kSizeSummary);
  EXPECT_NE(summary.find(test::utf16le("DataMap Reserve Space         :00020480")), std::string::npos);
  EXPECT_NE(summary.find(test::utf16le("==> Total:")), std::string::npos);
  EXPECT_EQ(readFile(state_.paths.root / workfiles::kSizeReport), summary);
  for (const char* image : {workfiles::kIndexImage, "TagRule.bin", workfiles::kItemAddrImage, "Dic.bin", "WordLib.bin"})
    EXPECT_TRUE(fs::exists(state_.paths.destin / image)) << image;
  EXPECT_FALSE(fs::exists(state_.paths.destin / workfiles::kDictFolder / "Dic.bin"));
}

TEST_F(FinalAssembly, TwoBuildsDifferOnlyInTheGuid) {
  const std::string first = assemble();
  const std::string second = assemble();
  ASSERT_EQ(first.size(), second.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < first.size(); ++i)
    if (first[i] != second[i] && (i < 400 || i >= 416)) ++differing;
  // Only the GUID, and the sums that cover it, change.
  const std::size_t end = first.size() - 36;
  for (std::size_t i = 0; i < first.size(); ++i) {
    if (first[i] != second[i] && (i < 400 || i >= 416)) {
      EXPECT_TRUE(i >= end || i == 350 || i == 351) << i;
    }
  }
  EXPECT_LE(differing, 16u);
}

TEST_F(FinalAssembly, MenuPhaseAddsMenuBin) {
  test::writeMenuCompile(state_.paths.destin / workfiles::kMenuFolder);
  state_.options.menuPhase = 1;
  const std::string bin = assemble();
  const std::string pre = readFile(state_.paths.destin / workfiles::kContainerDraft);
  EXPECT_EQ(loadLE16(pre, 16 + 16 * kSlotMenu), 0x1001u);
  EXPECT_EQ(loadLE32(pre, 16 + 16 * kSlotMenu + 2), 416u + loadLE32(pre, 16 + 6) + 5120);
  EXPECT_EQ(component(pre, kSlotMenu), readFile(state_.paths.destin / "Menu.bin"));
  EXPECT_FALSE(fs::exists(state_.paths.destin / workfiles::kMenuFolder / "Menu.bin"));
}

TEST_F(FinalAssembly, WithoutMenuDataMenuBinStaysOut) {
  test::writeMenuCompile(state_.paths.destin / workfiles::kMenuFolder);
  assemble();
  const std::string pre = readFile(state_.paths.destin / workfiles::kContainerDraft);
  EXPECT_EQ(loadLE32(pre, 16 + 16 * kSlotMenu + 2), 0u);
  EXPECT_FALSE(fs::exists(state_.paths.destin / "Menu.bin"));
}

TEST_F(FinalAssembly, BitmapPhaseListsFontBin) {
  state_.options.bitmapPhase = 1;
  assemble();
  const std::string pre = readFile(state_.paths.destin / workfiles::kContainerDraft);
  EXPECT_EQ(component(pre, kSlotFont), readFile(state_.paths.destin / workfiles::kFontImage));
  EXPECT_GT(loadLE32(pre, 16 + 16 * kSlotFont + 6), 29u);
  EXPECT_EQ(loadLE32(pre, 16 + 16 * kSlotBitmap + 6), 0u);
  EXPECT_EQ(readFile(state_.paths.destin / workfiles::kMissingImages), (state_.paths.destin / "Bitmap.bin").string() + "\n");
}

TEST_F(FinalAssembly, MissingTagRuleListFailsThePassNamingIt) {
  fs::remove(state_.paths.destin / workfiles::kDictFolder / "tag_rule.lst");
  testing::internal::CaptureStdout();
  try {
    assembleContainer(context());
    ADD_FAILURE() << "no failure";
  } catch (const PassFailure& e) {
    EXPECT_NE(std::string(e.what()).find("tag_rule.lst"), std::string::npos);
  }
  testing::internal::GetCapturedStdout();
}


// BlockText bytes (mark FF FE, UTF-16LE, CR LF) of UTF-8 lines.
std::string blockText(const std::vector<std::string>& lines) {
  std::string bytes = "\xFF\xFE";
  for (const std::string& l : lines) bytes += test::utf16le(l + "\r\n");
  return bytes;
}

// The whole chain from the compiler's real outputs: the drill body and the
// menu compiled, the container assembled, the first entry decoded back.
TEST_F(FinalAssembly, CompiledDrillAndMenuReadBack) {
  const std::vector<std::string> entry = {
      "START_BLOCK_Word\t", "HW\t\xE5\x95\x8F\xE9\xA1\x8C\xEF\xBC\x9A" "1", "GEN_t\t00:30",
      "DF_q\tWhich city is the capital of France?", "DF_l\t", "START_BLOCK_Note\t", "DF_a\tParis",
      "END_BLOCK_Note\t", "END_BLOCK_Word\t"};
  std::vector<std::string> lines;
  for (int i = 0; i < 25; ++i) {
    lines.insert(lines.end(), entry.begin(), entry.end());
    lines.back() = "END_BLOCK_Word\t";
    lines.push_back("");
    lines[lines.size() - 7] = "DF_q\tWhich city is the capital of country " + std::to_string(i) + "?";
  }
  writeFile(state_.paths.middata / workfiles::kSourceFolder / "Drill.cln", blockText(lines));
  std::set<std::u16string> tags;
  for (const std::string& l : lines)
    if (!l.empty()) tags.insert(utf8ToUtf16(l.substr(0, l.find('\t'))));
  state_.tagList.assign(tags.begin(), tags.end());
  state_.entryCount = 25;
  writeFile(state_.paths.middata / workfiles::kMenuFolder / "menu.idx",
            "LV01\t1\t00000000\t00000001\nLV02\t2\t00000001\tFFFFFFFF\nLV02\t2\t00000002\tFFFFFFFF\n");
  writeFile(state_.paths.middata / workfiles::kMenuFolder / "menu.lst",
            blockText({"LV01\t", "LV02\tCapitals of Europe", "LV02\tCapitals of Asia"}));
  state_.conversion.menuDepth = 2;
  state_.options.menuPhase = 1;
  compileDrillBody(state_);
  convertMenuIndexFile(menuIndexContextOf(state_));
  compileMenuCaptions(state_);
  EXPECT_EQ(readFile(workfiles::menuIndexOutPath(state_.paths)),
            "1\t1\t00000000\t00000001\n2\t2\t00000001\t7fffffff\n2\t2\t00000002\t7fffffff\n");

  const std::string bin = assemble();
  const std::string pre = readFile(state_.paths.destin / workfiles::kContainerDraft);
  ASSERT_EQ(bin.size(), pre.size());
  EXPECT_EQ(readFile(state_.paths.destin / workfiles::kMissingImages), "");
  EXPECT_EQ(readFile(state_.paths.destin / workfiles::kDictFolder / workfiles::kLibErrors), "");

  std::vector<Library> libs = readWordLib(component(pre, kSlotWordLib));
  std::vector<std::u16string> want;
  for (std::size_t i = 0; i < entry.size(); ++i) {
    const std::string& l = i == 3 ? lines[3] : entry[i];
    want.push_back(utf8ToUtf16(l.substr(l.find('\t') + 1)));
  }
  EXPECT_EQ(firstEntry(component(pre, kSlotDic), component(pre, kSlotTagRule), libs), want);

  // Menu.bin: slots 0, 2, 3 and 4 filled, all others empty.
  const std::string menu = component(pre, kSlotMenu);
  ASSERT_FALSE(menu.empty());
  EXPECT_EQ(menu, readFile(state_.paths.destin / "Menu.bin"));
  const std::size_t tagRule = readFile(state_.paths.destin / workfiles::kMenuFolder / "TagRule.bin").size();
  const std::size_t libraries = loadLE16(menu, tagRule + 8);
  const std::size_t slots = loadLE32(menu, tagRule + 48) + loadLE32(menu, tagRule + 52) + 88 + 8 * libraries;
  for (int s = 0; s < 30; ++s)
    EXPECT_EQ(loadLE32(menu, slots + 8 * s + 4) != 0, s == 0 || s == 2 || s == 3 || s == 4) << s;
  EXPECT_EQ(loadLE32(menu, tagRule), tagRule + 64);
}

}  // namespace
}  // namespace dm
