#include "pictures/jpeg_codec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "pictures/picture_fixtures.h"

namespace dm::picture {
namespace {

using test::CollectSink;

std::uint32_t gradient(int x, int y) {
  return (static_cast<std::uint32_t>(x * 4 % 256) << 16) | (static_cast<std::uint32_t>(y * 4 % 256) << 8) | 0x80;
}

std::string smallJpeg(bool progressive = false) { return test::makeJpeg(64, 48, gradient, progressive); }

// Offset of the first marker FF `code` (after the start of image), or npos.
std::size_t findMarker(const std::string& s, unsigned char code) {
  for (std::size_t i = 2; i + 1 < s.size(); ++i)
    if (static_cast<unsigned char>(s[i]) == 0xFF && static_cast<unsigned char>(s[i + 1]) == code) return i;
  return std::string::npos;
}

void putBig16(std::string& s, std::size_t at, int v) {
  s[at] = static_cast<char>((v >> 8) & 0xFF);
  s[at + 1] = static_cast<char>(v & 0xFF);
}

bool nearColour(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
      return false;
  return true;
}

struct ProbeCase {
  const char* name;
  bool progressive;
  bool grey;
};

class JpegProbeTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(JpegProbeTest, ReportsSizeAndDecodes) {
  const ProbeCase& c = GetParam();
  std::istringstream in(test::makeJpeg(37, 21, [](int, int) { return 0x4080C0u; }, c.progressive, c.grey));
  JpegInfo info;
  ASSERT_TRUE(probeJpeg(in, info));
  EXPECT_EQ(info.width, 37);
  EXPECT_EQ(info.height, 21);
  EXPECT_EQ(info.progressive, c.progressive);
  CollectSink sink;
  ASSERT_TRUE(decodeJpeg(in, 0, 0, sink));
  EXPECT_EQ(sink.width(), 37);
  EXPECT_EQ(sink.rows(), 21);
  const std::uint32_t want = c.grey ? 0xC0C0C0u : 0x4080C0u;
  EXPECT_TRUE(nearColour(sink.at(18, 10), want, 4)) << std::hex << sink.at(18, 10);
}

INSTANTIATE_TEST_SUITE_P(Kinds, JpegProbeTest,
                         ::testing::Values(ProbeCase{"baseline", false, false},
                                           ProbeCase{"progressive", true, false},
                                           ProbeCase{"grey", false, true}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(JpegDecode, ScalesByTheDctNoSmallerThanAsked) {
  std::istringstream in(smallJpeg());
  CollectSink sink;
  ASSERT_TRUE(decodeJpeg(in, 16, 12, sink));
  EXPECT_EQ(sink.width(), 16);
  EXPECT_EQ(sink.height(), 12);
  CollectSink odd;
  ASSERT_TRUE(decodeJpeg(in, 17, 5, odd));
  EXPECT_GE(odd.width(), 17);
  EXPECT_LT(odd.width(), 64);
}

TEST(JpegDecode, ShortDataFailsEvenWithoutTheCheck) {
  const std::string full = smallJpeg();
  std::istringstream cut(full.substr(0, full.size() / 2));
  CollectSink sink;
  EXPECT_FALSE(decodeJpeg(cut, 0, 0, sink));
  // A frame that claims more rows than its data holds.
  std::string tall = full;
  putBig16(tall, findMarker(tall, 0xC0) + 5, 480);
  std::istringstream lie(tall);
  CollectSink tallSink;
  EXPECT_FALSE(decodeJpeg(lie, 0, 0, tallSink));
}

TEST(JpegDecode, ScrambledEntropyDataDoesNotFault) {
  std::string s = smallJpeg(true);
  const std::size_t sos = findMarker(s, 0xDA);
  ASSERT_NE(sos, std::string::npos);
  for (std::size_t i = sos + 20; i < s.size() - 2; i += 7) s[i] = static_cast<char>(s[i] ^ 0x5A);
  std::istringstream in(s);
  JpegInfo info;
  probeJpeg(in, info);
  CollectSink sink;
  decodeJpeg(in, 0, 0, sink);
  SUCCEED();
}

TEST(JpegEncode, WritesBaselineWithOnlyTheJfifMarker) {
  std::vector<std::uint8_t> rgb(20 * 10 * 3, 0);
  for (std::size_t i = 0; i < rgb.size(); i += 3) rgb[i] = 255;  // red
  std::vector<std::uint8_t> out;
  ASSERT_TRUE(encodeJpeg(rgb.data(), 20, 10, 90, out));
  const std::string s(out.begin(), out.end());
  EXPECT_EQ(static_cast<unsigned char>(s[2]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(s[3]), 0xE0);  // JFIF
  EXPECT_NE(findMarker(s, 0xC0), std::string::npos);  // baseline frame
  EXPECT_EQ(findMarker(s, 0xC2), std::string::npos);
  for (unsigned char app = 0xE1; app <= 0xEF; ++app) EXPECT_EQ(findMarker(s, app), std::string::npos);
  EXPECT_EQ(findMarker(s, 0xFE), std::string::npos);  // no comment
  std::istringstream in(s);
  CollectSink sink;
  ASSERT_TRUE(decodeJpeg(in, 0, 0, sink));
  EXPECT_TRUE(nearColour(sink.at(10, 5), 0xFF0000u, 6)) << std::hex << sink.at(10, 5);
}

// Malformed files: the check refuses each without a fault.
struct Malformed {
  const char* name;
  std::function<std::string()> make;
};

std::string withSof(std::function<void(std::string&, std::size_t)> edit) {
  std::string s = smallJpeg();
  const std::size_t sof = findMarker(s, 0xC0);
  edit(s, sof);
  return s;
}

std::string manyScans(int scans) {
  std::string s = smallJpeg();
  const std::size_t eoi = s.size() - 2;
  const std::size_t sos = findMarker(s, 0xDA);
  const std::size_t length = (static_cast<unsigned char>(s[sos + 2]) << 8) | static_cast<unsigned char>(s[sos + 3]);
  const std::string header = s.substr(sos, 2 + length);
  std::string extra;
  for (int i = 0; i < scans; ++i) extra += header + std::string("\x12\x34", 2);
  return s.substr(0, eoi) + extra + s.substr(eoi);
}

const Malformed kMalformed[] = {
    {"empty", [] { return std::string(); }},
    {"startOnly", [] { return std::string("\xFF\xD8\xFF", 3); }},
    {"cutInHalf", [] { std::string s = smallJpeg(); return s.substr(0, s.size() / 2); }},
    {"cutBeforeEnd", [] { std::string s = smallJpeg(); return s.substr(0, s.size() - 2); }},
    {"headersOnly", [] { std::string s = smallJpeg(); return s.substr(0, findMarker(s, 0xDA)); }},
    {"progressiveCut", [] { std::string s = smallJpeg(true); return s.substr(0, s.size() * 2 / 3); }},
    {"huge", [] { return withSof([](std::string& s, std::size_t at) { putBig16(s, at + 5, 40000); putBig16(s, at + 7, 40000); }); }},
    {"liesAboutSize", [] { return withSof([](std::string& s, std::size_t at) { putBig16(s, at + 5, 2000); putBig16(s, at + 7, 3000); }); }},
    {"zeroHeight", [] { return withSof([](std::string& s, std::size_t at) { putBig16(s, at + 5, 0); }); }},
    {"twelveBits", [] { return withSof([](std::string& s, std::size_t at) { s[at + 4] = 12; }); }},
    {"lossless", [] { return withSof([](std::string& s, std::size_t at) { s[at + 1] = static_cast<char>(0xC3); }); }},
    {"arithmetic", [] { return withSof([](std::string& s, std::size_t at) { s[at + 1] = static_cast<char>(0xC9); }); }},
    {"twoComponents", [] { return withSof([](std::string& s, std::size_t at) { s[at + 9] = 2; }); }},
    {"segmentLengthOne", [] { return withSof([](std::string& s, std::size_t at) { putBig16(s, at + 2, 1); }); }},
    {"scanBeforeFrame", [] { return withSof([](std::string& s, std::size_t at) { s[at + 1] = static_cast<char>(0xFE); }); }},
    {"secondStart", [] { std::string s = smallJpeg(); return s.substr(0, 2) + s; }},
    {"tooManyScans", [] { return manyScans(kMaxJpegScans + 1); }},
    {"badTableIndex", [] {
       std::string s = smallJpeg();
       const std::size_t dqt = findMarker(s, 0xDB);
       s[dqt + 4] = 0x07;  // quantisation table 7 does not exist
       return s; }},
};

class JpegMalformedTest : public ::testing::TestWithParam<Malformed> {};

TEST_P(JpegMalformedTest, IsRefused) {
  std::istringstream in(GetParam().make());
  JpegInfo info;
  EXPECT_FALSE(probeJpeg(in, info));
}

INSTANTIATE_TEST_SUITE_P(Catalogue, JpegMalformedTest, ::testing::ValuesIn(kMalformed),
                         [](const auto& p) { return std::string(p.param.name); });

struct ExifCase {
  const char* name;
  std::function<std::string()> tiff;  // "" for a well-formed block
  int orientation;                    // stored in the well-formed block
  int want;
};

std::string bigEndianTiff() {
  return std::string("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x08\0\0\0\0\0\0", 26);
}

const ExifCase kExif[] = {
    {"turned", [] { return std::string(); }, 6, 6},
    {"mirrored", [] { return std::string(); }, 2, 2},
    {"outOfRange", [] { return std::string(); }, 9, 1},
    {"bigEndian", bigEndianTiff, 0, 8},
    {"cutDirectory", [] { return bigEndianTiff().substr(0, 14); }, 0, 1},
    {"directoryPastEnd", [] { std::string t = bigEndianTiff(); t[7] = 0x70; return t; }, 0, 1},
    {"manyEntries", [] { std::string t = bigEndianTiff(); t[8] = '\xFF'; t[9] = '\xFF'; return t; }, 0, 8},
    {"wrongType", [] { std::string t = bigEndianTiff(); t[13] = 4; return t; }, 0, 1},
    {"notTiff", [] { return std::string("XX\0*\0\0\0\x08", 8); }, 0, 1},
};

class JpegExifTest : public ::testing::TestWithParam<ExifCase> {};

TEST_P(JpegExifTest, ReadsTheOrientation) {
  std::istringstream in(test::withExif(smallJpeg(), GetParam().orientation, GetParam().tiff()));
  JpegInfo info;
  ASSERT_TRUE(probeJpeg(in, info));
  EXPECT_EQ(info.orientation, GetParam().want);
  EXPECT_EQ(info.width, 64);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, JpegExifTest, ::testing::ValuesIn(kExif),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(JpegScans, ProgressiveFilesOfTooManyScansAreRefusedByCheckAndDecoder) {
  std::istringstream many(test::makeManyScanJpeg(24, 16, false));
  JpegInfo info;
  EXPECT_TRUE(probeJpeg(many, info));
  CollectSink sink;
  EXPECT_TRUE(decodeJpeg(many, 0, 0, sink));
  std::istringstream tooMany(test::makeManyScanJpeg(24, 16, true));
  EXPECT_FALSE(probeJpeg(tooMany, info));
  CollectSink refused;
  EXPECT_FALSE(decodeJpeg(tooMany, 0, 0, refused));
}

TEST(JpegProbe, ToleratesDataAfterTheEndAndManyOrdinaryScans) {
  std::string s = smallJpeg(true) + "trailing bytes";
  std::istringstream in(s);
  JpegInfo info;
  EXPECT_TRUE(probeJpeg(in, info));
  std::istringstream scans(manyScans(20));
  EXPECT_TRUE(probeJpeg(scans, info));
}

}  // namespace
}  // namespace dm::picture
