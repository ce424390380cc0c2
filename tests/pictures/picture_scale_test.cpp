#include "pictures/picture_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace dm::picture {
namespace {

struct FitCase {
  std::int32_t width, height, maxWidth, maxHeight;
  std::int32_t wantWidth, wantHeight;
};

class FitSizeTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(FitSizeTest, KeepsAspectAndNeverEnlarges) {
  const FitCase& c = GetParam();
  const Size s = fitSize(c.width, c.height, c.maxWidth, c.maxHeight);
  EXPECT_EQ(s.width, c.wantWidth);
  EXPECT_EQ(s.height, c.wantHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FitSizeTest,
    ::testing::Values(FitCase{4000, 3000, 800, -1, 800, 600},   // an ordinary photo
                      FitCase{400, 300, 800, -1, 400, 300},     // small: unchanged
                      FitCase{800, 5000, 800, -1, 800, 5000},   // no height bound
                      FitCase{4000, 3000, 800, 430, 573, 430},  // the height binds
                      FitCase{1000, 3000, 800, 430, 143, 430},
                      FitCase{1600, 860, 800, 430, 800, 430},   // both bind exactly
                      FitCase{799, 2, 800, 0, 799, 2},          // 0 is no height bound
                      FitCase{5000, 1, 800, -1, 800, 1},        // never below one pixel
                      FitCase{1, 5000, 800, 100, 1, 100},
                      FitCase{801, 3, 800, -1, 800, 3}));

// Scales a grey picture given as rows of values.
std::vector<int> scaleGrey(const std::vector<std::vector<int>>& rows, std::int32_t w, std::int32_t h) {
  AreaScaler scaler(w, h);
  EXPECT_TRUE(scaler.begin(static_cast<std::int32_t>(rows[0].size()), static_cast<std::int32_t>(rows.size())));
  for (const auto& r : rows) {
    std::vector<std::uint8_t> rgb;
    for (int v : r) rgb.insert(rgb.end(), 3, static_cast<std::uint8_t>(v));
    EXPECT_TRUE(scaler.row(rgb.data()));
  }
  EXPECT_TRUE(scaler.complete());
  std::vector<int> out;
  for (std::size_t i = 0; i < scaler.pixels().size(); i += 3) out.push_back(scaler.pixels()[i]);
  return out;
}

TEST(AreaScaler, AveragesWholeBlocks) {
  EXPECT_EQ(scaleGrey({{0, 100, 200, 40}, {20, 40, 0, 0}}, 2, 1), (std::vector<int>{40, 60}));
}

TEST(AreaScaler, WeighsPartlyCoveredPixelsByTheirShare) {
  // 3 -> 2: each target column covers one and a half source columns.
  EXPECT_EQ(scaleGrey({{90, 30, 60}}, 2, 1), (std::vector<int>{70, 50}));
  EXPECT_EQ(scaleGrey({{90}, {30}, {60}}, 1, 2), (std::vector<int>{70, 50}));
}

TEST(AreaScaler, SameSizeIsACopy) {
  const std::vector<std::vector<int>> rows = {{1, 2, 3}, {4, 5, 6}, {7, 8, 255}};
  EXPECT_EQ(scaleGrey(rows, 3, 3), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 255}));
}

TEST(AreaScaler, KeepsTheMeanOfAnUnevenReduction) {
  std::vector<std::vector<int>> rows(7, std::vector<int>(11));
  long sum = 0;
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 11; ++x) sum += rows[y][x] = (x * 37 + y * 91) % 256;
  const std::vector<int> out = scaleGrey(rows, 3, 2);
  ASSERT_EQ(out.size(), 6u);
  long outSum = 0;
  for (int v : out) outSum += v;
  EXPECT_NEAR(static_cast<double>(outSum) / 6, static_cast<double>(sum) / 77, 1.0);
}

TEST(AreaScaler, RefusesRowsBeyondTheHeightAndASecondBegin) {
  AreaScaler scaler(1, 1);
  ASSERT_TRUE(scaler.begin(2, 1));
  const std::uint8_t rgb[6] = {};
  EXPECT_TRUE(scaler.row(rgb));
  EXPECT_FALSE(scaler.row(rgb));
  EXPECT_FALSE(scaler.begin(2, 1));
  AreaScaler empty(0, 5);
  EXPECT_FALSE(empty.begin(2, 2));
}

struct OrientCase {
  int orientation;
  int topLeftX, topLeftY;    // where the stored top-left pixel shows
  int topRightX, topRightY;  // where the stored top-right pixel shows
};

class OrientTest : public ::testing::TestWithParam<OrientCase> {};

TEST_P(OrientTest, TurnsAsTheOrientationSays) {
  // A 3 x 2 picture: grey 10 at the top left, 20 at the top right.
  std::vector<std::uint8_t> rgb(3 * 2 * 3, 0);
  std::fill_n(rgb.begin(), 3, std::uint8_t{10});
  std::fill_n(rgb.begin() + 6, 3, std::uint8_t{20});
  const OrientCase& c = GetParam();
  const std::vector<std::uint8_t> out = orientPicture(rgb, 3, 2, c.orientation);
  const int width = c.orientation >= 5 ? 2 : 3;
  auto at = [&](int x, int y) { return out[(static_cast<std::size_t>(y) * width + x) * 3]; };
  EXPECT_EQ(at(c.topLeftX, c.topLeftY), 10);
  EXPECT_EQ(at(c.topRightX, c.topRightY), 20);
}

INSTANTIATE_TEST_SUITE_P(Exif, OrientTest,
                         ::testing::Values(OrientCase{1, 0, 0, 2, 0}, OrientCase{2, 2, 0, 0, 0},
                                           OrientCase{3, 2, 1, 0, 1}, OrientCase{4, 0, 1, 2, 1},
                                           OrientCase{5, 0, 0, 0, 2}, OrientCase{6, 1, 0, 1, 2},
                                           OrientCase{7, 1, 2, 1, 0}, OrientCase{8, 0, 2, 0, 0}));

}  // namespace
}  // namespace dm::picture
