#include "container/container_writer.h"

#include <gtest/gtest.h>

#include "container/checksum.h"
#include "container/scrambler.h"
#include "textio/byte_order.h"
#include "platform/failure.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"
#include "textio/wide_line.h"

namespace dm::container {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::string pattern(std::size_t size, char seed) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>(seed + i * 3);
  return s;
}

platform::Guid fixedGuid() {
  platform::Guid g;
  g.data1 = 0x01020304;
  g.data2 = 0x0506;
  g.data3 = 0x0708;
  g.data4 = {9, 10, 11, 12, 13, 14, 15, 16};
  return g;
}

std::tm december() {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 24;
  return t;
}

std::string fromUtf16(const std::string& bytes) {
  std::u16string w;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    w.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) | static_cast<std::uint8_t>(bytes[i + 1]) << 8));
  return utf16ToUtf8(w);
}

// A Destin folder with the images of a drill without sound, menu or picture.
class ContainerWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    writeFile(destin() / "Dic.bin", pattern(10, 1));
    writeFile(destin() / workfiles::kItemAddrImage, pattern(7, 2));
    writeFile(destin() / workfiles::kIndexImage, pattern(80, 3));
    writeFile(destin() / "WordLib.bin", pattern(3, 4));
    writeFile(destin() / "TagRule.bin", pattern(5, 5));
  }
  fs::path destin() const { return dir_ / "Destin"; }

  // Lists and writes; returns Drill.pre.
  std::string write(const BuildHeader& header, const ContainerSettings& settings) {
    {
      SizeReports reports(dir_ / workfiles::kSizeReport, dir_ / workfiles::kSizeSummary);
      slots_ = listComponents(destin(), header, settings, reports);
      writeContainer(destin(), slots_, header, settings, reports, fixedGuid(), december(), sink_);
      total_ = reports.total();
      reports.finish();
    }
    return readFile(destin() / workfiles::kContainerDraft);
  }

  TempDir dir_;
  SlotTable slots_;
  std::uint32_t total_ = 0;
  test::RecordingSink sink_;
};

TEST_F(ContainerWriter, DrillWithoutSoundMenuOrPicture) {
  const std::string pre = write(BuildHeader{}, ContainerSettings{});
  const std::uint32_t offsets[] = {416, 416 + 10 + 5120, 5546 + 7 + 5120, 10673 + 80 + 5120, 15873 + 3 + 5120};
  const int listed[] = {kSlotDic, kSlotItemAddr, kSlotIndex, kSlotWordLib, kSlotTagRule};
  const std::uint32_t sizes[] = {10, 7, 80, 3, 5};
  const std::uint32_t end = 20996 + 5;
  ASSERT_EQ(pre.size(), end + 36);

  EXPECT_EQ(pre.substr(0, 16), std::string("\x01\x15\x00\x00\xff\xff\xff\xff\x00\x01\x00\x00\x00\x00\x00\x00", 16));
  for (int s = 0, i = 0; s < 21; ++s) {
    const std::size_t at = 16 + 16 * s;
    EXPECT_EQ(loadLE16(pre, at), kSlots[s].id) << s;
    if (i < 5 && listed[i] == s) {
      EXPECT_EQ(loadLE32(pre, at + 2), offsets[i]) << s;
      EXPECT_EQ(loadLE32(pre, at + 6), sizes[i]) << s;
      EXPECT_EQ(pre[at + 10], s == kSlotItemAddr ? 8 : s == kSlotWordLib ? 3 : 0) << s;
      EXPECT_EQ(pre[at + 11], s == kSlotItemAddr ? 4 : 0) << s;
      EXPECT_EQ(pre.substr(offsets[i], sizes[i]), readFile(slots_[s].path)) << s;
      if (i < 4) {
        EXPECT_EQ(pre.substr(offsets[i] + sizes[i], 5120), std::string(5120, '\0')) << s;
      }
      ++i;
    } else {
      EXPECT_EQ(pre.substr(at + 2, 14), std::string(14, '\0')) << s;
    }
  }
  EXPECT_EQ(pre.substr(352, 32), std::string(32, '\0'));
  EXPECT_EQ(loadLE32(pre, 384), pre.size());
  EXPECT_EQ(pre.substr(388, 12), std::string("\x0c\x28\x31\x35\x20\x14\x03\x28\x22\x33\xf0\xef", 12));
  EXPECT_EQ(pre.substr(400, 16), std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10", 16));

  // The checksum over everything before it, computed word by word here.
  std::uint32_t sum = 0, last = 0;
  for (std::size_t at = 0; at + 4 <= end; at += 4) sum += last = loadLE32(pre, at);
  std::string tail(4, '\0');
  for (int b = 0; b < 4; ++b) tail[b] = static_cast<char>(last >> (8 * b));
  for (std::size_t b = 0; b < end % 4; ++b) tail[b] = pre[end - end % 4 + b];
  sum += loadLE32(tail, 0);
  EXPECT_EQ(loadLE32(pre, end), sum);

  TrailerSums sums;
  sums.update(reinterpret_cast<const std::uint8_t*>(pre.data()), end + 4);
  EXPECT_EQ(pre.substr(end + 4), sums.trailer(december()));
  EXPECT_EQ(pre[end + 4 + 5], 0);  // December

  // Drill.bin: the same file with the scrambled header.
  const std::string bin = readFile(destin() / workfiles::kContainer);
  ASSERT_EQ(bin.size(), pre.size());
  EXPECT_EQ(bin.substr(352), pre.substr(352));
  Header scrambled;
  std::copy(bin.begin(), bin.begin() + kScrambledEnd, scrambled.begin());
  const Key key = *parseKey(kKeyText);
  Header plain = unscrambleHeader(scrambled, key);
  EXPECT_EQ(std::string(plain.begin(), plain.begin() + 322), pre.substr(0, 322));
  EXPECT_EQ(loadLE16(bin, 350), headerCheckValue(scrambled, key));

  // Reports: one line per component but Index.bin, the reserve, the total.
  EXPECT_EQ(readFile(destin() / workfiles::kMissingImages), "");
  EXPECT_EQ(total_, 10u + 7 + 3 + 5 + 4 * 5120);
  const std::string summary = fromUtf16(readFile(dir_ / workfiles::kSizeSummary));
  EXPECT_EQ(summary,
            "Dic                           :00000010(Size:00000.01 KB)\n"
            "ItemAddr                      :00000007(Size:00000.01 KB)\n"
            "WordLib                       :00000003(Size:00000.00 KB)\n"
            "TagRule                       :00000005(Size:00000.00 KB)\n"
            "DataMap Reserve Space         :00020480(Size:00020.00 KB)\n"
            "\n==> Total:                    :00020505(Size:00020.02 KB)\n" +
                std::string(58, '-') + "\n");
  EXPECT_EQ(readFile(dir_ / workfiles::kSizeReport), readFile(dir_ / workfiles::kSizeSummary));
}

TEST_F(ContainerWriter, HeaderFlagsMenuLocationAndHowToUse) {
  BuildHeader header;
  header.soundMark = 1;
  writeFile(destin() / workfiles::kSoundImage, pattern(12, 6));
  ContainerSettings settings;
  settings.howToUsePresent = true;
  settings.entryCount = 5;
  settings.menuLocation = u"ABCDEFGHIJKLMNOPQRST";
  settings.coverPictureListed = true;
  settings.coverPictureColour = true;
  std::string pre = write(header, settings);
  EXPECT_EQ(static_cast<std::uint8_t>(pre[3]), 0x80);
  EXPECT_EQ(loadLE32(pre, 4), 4u);
  EXPECT_EQ(static_cast<std::uint8_t>(pre[8]), 0x20);
  std::u16string stored;
  for (int i = 0; i < 16; ++i) stored.push_back(static_cast<char16_t>(loadLE16(pre, 352 + 2 * i)));
  EXPECT_EQ(stored, u"ABCDEFGHIJKLMNOP");
  EXPECT_EQ(loadLE32(pre, 16 + 16 * kSlotSound + 6), 12u);

  settings.coverPictureColour = false;
  settings.menuLocation = u"Top";
  pre = write(header, settings);
  EXPECT_EQ(pre[8], 0x01);
  EXPECT_EQ(pre.substr(352, 8), std::string("T\0o\0p\0\0\0", 8));
  settings.coverPictureListed = false;
  EXPECT_EQ(write(header, settings)[8], 0);
}

TEST_F(ContainerWriter, BitmapPhaseListsFontAndAnEmptyBitmapSlot) {
  BuildHeader header;
  header.bitmapsMark = 1;
  writeFile(destin() / workfiles::kFontImage, pattern(29, 7));
  const std::string pre = write(header, ContainerSettings{});
  EXPECT_EQ(readFile(destin() / workfiles::kMissingImages), (destin() / "Bitmap.bin").string() + "\n");
  const std::size_t font = 16 + 16 * kSlotFont, bitmap = 16 + 16 * kSlotBitmap, wordLib = 16 + 16 * kSlotWordLib;
  EXPECT_EQ(loadLE32(pre, font + 6), 29u);
  EXPECT_EQ(loadLE32(pre, bitmap + 2), loadLE32(pre, font + 2) + 29 + 5120);
  EXPECT_EQ(loadLE32(pre, bitmap + 6), 0u);
  EXPECT_EQ(loadLE32(pre, wordLib + 2), loadLE32(pre, bitmap + 2) + 5120);
  EXPECT_EQ(loadLE32(pre, 384), pre.size());
  EXPECT_EQ(total_, 10u + 7 + 29 + 3 + 5 + 6 * 5120);
}

TEST_F(ContainerWriter, MissingLastImageEndsTheFileAtThePreviousImage) {
  BuildHeader header;
  header.soundMark = 1;  // Sound.bin is not there
  const std::string pre = write(header, ContainerSettings{});
  EXPECT_EQ(readFile(destin() / workfiles::kMissingImages), (destin() / workfiles::kSoundImage).string() + "\n");
  const std::size_t tagRule = loadLE32(pre, 16 + 16 * kSlotTagRule + 2);
  EXPECT_EQ(pre.size(), tagRule + 5 + 36);
  EXPECT_EQ(loadLE32(pre, 384), pre.size());
  EXPECT_EQ(loadLE32(pre, 16 + 16 * kSlotSound + 2), tagRule + 5 + 5120);
  EXPECT_EQ(total_, 10u + 7 + 3 + 5 + 5 * 5120);
}

TEST_F(ContainerWriter, UncreatableContainerFailsThePassNamingIt) {
  fs::create_directory(destin() / workfiles::kContainerDraft);
  SizeReports reports;
  SlotTable slots = listComponents(destin(), BuildHeader{}, ContainerSettings{}, reports);
  try {
    writeContainer(destin(), slots, BuildHeader{}, ContainerSettings{}, reports, fixedGuid(), december(), sink_);
    ADD_FAILURE() << "no failure";
  } catch (const PassFailure& e) {
    EXPECT_EQ(std::string(e.what()), "can't create file " + (destin() / workfiles::kContainerDraft).string());
  }
}

}  // namespace
}  // namespace dm::container
