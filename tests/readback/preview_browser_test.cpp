// The example drill's preview in a real browser: headless chromium loads
// index.html from file://, and its DOM and a screenshot are checked. Where
// no chromium is installed the test skips, unless DRILLMAKER_REQUIRE_BROWSER
// is 1 (as in CI), where it fails.
#include <png.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "driver/batch.h"
#include "readback/preview.h"
#include "support/temp_dir.h"
#include "batch_build.h"

namespace dm::readback {
namespace {

using test::TempDir;

std::string findChromium() {
  if (const char* given = std::getenv("DRILLMAKER_CHROMIUM"); given && *given) return given;
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin");
  for (std::string dir; std::getline(dirs, dir, ':');)
    for (const char* name : {"chromium", "chromium-browser"})
      if (fs::exists(fs::path(dir) / name)) return (fs::path(dir) / name).string();
  return {};
}

bool browserRequired() {
  const char* v = std::getenv("DRILLMAKER_REQUIRE_BROWSER");
  return v && std::string(v) == "1";
}

// Runs chromium headless on `url` with `options`; its standard output goes
// to `out`. False when it did not exit with 0.
bool runChromium(const std::string& chromium, const TempDir& dir, const std::string& options, const std::string& url,
                 const fs::path& out) {
  const std::string command = "timeout 60 '" + chromium + "' --headless --no-sandbox --disable-gpu --no-first-run " +
                              "--disable-dev-shm-usage --user-data-dir='" + (dir / "profile").string() + "' " + options +
                              " '" + url + "' > '" + out.string() + "' 2> '" + (dir / "chromium.err").string() + "'";
  return std::system(command.c_str()) == 0;
}

// The share of pixels of a PNG that are not white, and the number of dark
// ones; false when the file is no readable PNG.
bool inkOf(const fs::path& file, double& nonWhite, std::size_t& dark) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.string().c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return false;
  std::size_t ink = 0;
  dark = 0;
  for (std::size_t i = 0; i + 2 < pixels.size(); i += 3) {
    const int sum = pixels[i] + pixels[i + 1] + pixels[i + 2];
    ink += sum < 3 * 245 ? 1 : 0;
    dark += sum < 200 ? 1 : 0;
  }
  nonWhite = static_cast<double>(ink) / static_cast<double>(pixels.size() / 3);
  return true;
}

TEST(PreviewBrowser, ChromiumShowsTheExampleDrill) {
  const std::string chromium = findChromium();
  if (chromium.empty()) {
    if (browserRequired()) FAIL() << "no chromium found, and DRILLMAKER_REQUIRE_BROWSER=1";
    GTEST_SKIP() << "no chromium installed (apt-get install chromium)";
  }
  TempDir dir;
  const std::string container =
      test_support::build(dir, fs::path(DRILLMAKER_SOURCE_DIR) / "examples" / "quickstart", "quickstart");
  ASSERT_FALSE(container.empty());
  const PreviewResult r = writePreview((dir / "out" / "quickstart.drl").string(), (dir / "preview").string());
  ASSERT_TRUE(r.written) << r.problem;
  const std::string url = "file://" + (dir / "preview" / "index.html").string();

  ASSERT_TRUE(runChromium(chromium, dir, "--dump-dom", url, dir / "dom.html"))
      << "chromium did not start: " << test::readFile(dir / "chromium.err");
  const std::string dom = test::readFile(dir / "dom.html");
  for (const char* expected : {"3 + 4 = ?", "「ねこ」は英語で?", "<b>9 - 3</b> = ?", "(2) cat", "ねこは cat です。",
                               "src=\"media/picture-0015.png\"", "<audio controls"})
    EXPECT_NE(dom.find(expected), std::string::npos) << expected;

  ASSERT_TRUE(runChromium(chromium, dir,
                          "--hide-scrollbars --window-size=1100,900 --screenshot='" + (dir / "shot.png").string() + "'",
                          url, dir / "shot.out"))
      << "chromium did not start: " << test::readFile(dir / "chromium.err");
  double nonWhite = 0;
  std::size_t dark = 0;
  ASSERT_TRUE(inkOf(dir / "shot.png", nonWhite, dark)) << "no screenshot";
  EXPECT_GT(nonWhite, 0.2);  // the page background, the header, the cards
  EXPECT_GT(dark, 2000u);    // text
}

}  // namespace
}  // namespace dm::readback
