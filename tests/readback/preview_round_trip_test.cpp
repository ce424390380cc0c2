// Builds drills with the real passes and previews the delivered containers:
// the pictures decoded by the reader against the sources the writers
// encoded, and the content of the page.
#include <png.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "driver/batch.h"
#include "pictures/bmp_reader.h"
#include "readback/picture_decoder.h"
#include "readback/preview.h"
#include "support/temp_dir.h"
#include "batch_build.h"

namespace dm::readback {
namespace {

using test::TempDir;

const fs::path kSource = DRILLMAKER_SOURCE_DIR;

using test_support::build;

// Width, height and colour type of a PNG file; false when it is none.
bool pngSize(const std::string& png, std::uint32_t& w, std::uint32_t& h) {
  if (png.size() < 24 || png.compare(1, 3, "PNG") != 0) return false;
  auto be = [&](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(png[at])) << 24 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(png[at + 1])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(png[at + 2])) << 8 |
           static_cast<std::uint8_t>(png[at + 3]);
  };
  w = be(16);
  h = be(20);
  return true;
}

// The BMP as the writers read it: its header and palette indices.
struct SourceBmp {
  picture::BmpHeader header;
  std::vector<std::uint8_t> indices;
};

SourceBmp readBmp(const fs::path& path) {
  SourceBmp s;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(picture::readBmpHeader(in, s.header)) << path;
  EXPECT_TRUE(picture::decodeBmpIndices(in, s.header, s.indices)) << path;
  return s;
}

// The grey level (0-255) the device shows for a pixel of a 1- or 4-bit
// source: black for a set monochrome pixel; for 4 bits the index when the
// palette is the grey ramp, else the average of its colour in 16 steps.
std::uint8_t expectedGrey(const SourceBmp& s, std::size_t i) {
  const auto& entry = s.header.palette.at(s.indices[i]);
  const int sum = entry[0] + entry[1] + entry[2];
  if (s.header.bitsPerPixel == 1) return sum == 0 ? 0 : 255;
  bool ramp = true;
  for (std::size_t k = 0; k < 16 && k < s.header.palette.size(); ++k)
    ramp = ramp && s.header.palette[k][0] == 17 * k && s.header.palette[k][1] == 17 * k && s.header.palette[k][2] == 17 * k;
  return static_cast<std::uint8_t>(17 * (ramp ? s.indices[i] : (sum / 3) >> 4));
}

TEST(PreviewRoundTrip, PicturesOfEveryDepthDecodeAsTheirSources) {
  TempDir dir;
  const fs::path data = kSource / "tests" / "driver" / "data" / "pictures";
  const std::string drl = build(dir, data, "pictures");
  ASSERT_FALSE(drl.empty());
  const PreviewModel model = buildPreview(drl, "pictures.drl");
  ASSERT_TRUE(model.failedChecks().empty()) << model.failedChecks().front();
  const PictureTables tables(model.fontImage, model.extBmpImage);

  // The pictures as their question names them, in order of first use:
  // monochrome and grey ones from 0015 on, colour ones from 020001 on.
  struct Case {
    const char* file;
    const char* id;
    bool exact;  // monochrome and grey pixels come back exactly
  };
  const Case cases[] = {{"lines.bmp", "0015", true},  {"grey4.bmp", "0016", true}, {"grey8.bmp", "020001", false},
                        {"steps4.bmp", "0017", true}, {"photo.bmp", "020002", false}, {"flat.bmp", "020003", false},
                        {"check.bmp", "0018", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::string problem;
    const std::optional<Raster> r = tables.decode(c.id, problem);
    ASSERT_TRUE(r) << problem;
    if (c.exact) {
      const SourceBmp src = readBmp(data / c.file);
      ASSERT_EQ(r->width, static_cast<std::uint32_t>(src.header.width));
      ASSERT_EQ(r->height, static_cast<std::uint32_t>(src.header.height));
      ASSERT_EQ(r->channels, 1);
      std::size_t wrong = 0;
      for (std::size_t i = 0; i < r->pixels.size(); ++i) wrong += r->pixels[i] != expectedGrey(src, i) ? 1 : 0;
      EXPECT_EQ(wrong, 0u) << "pixels differ";
    } else {
      // A JPEG: close to the source, not equal.
      ASSERT_EQ(r->channels, 3);
      std::ifstream in(data / c.file, std::ios::binary);
      picture::BmpHeader h;
      ASSERT_TRUE(picture::readBmpHeader(in, h));
      ASSERT_EQ(r->width, static_cast<std::uint32_t>(h.width));
      ASSERT_EQ(r->height, static_cast<std::uint32_t>(h.height));
      struct Rows : picture::RowSink {
        std::vector<std::uint8_t> rgb;
        int width = 0;
        bool begin(std::int32_t w, std::int32_t) noexcept override {
          width = w;
          return true;
        }
        bool row(const std::uint8_t* p) noexcept override {
          rgb.insert(rgb.end(), p, p + 3 * width);
          return true;
        }
      } rows;
      ASSERT_TRUE(picture::decodeBmp(in, h, rows));
      ASSERT_EQ(rows.rgb.size(), r->pixels.size());
      double difference = 0;
      for (std::size_t i = 0; i < rows.rgb.size(); ++i) difference += std::abs(int(rows.rgb[i]) - int(r->pixels[i]));
      EXPECT_LT(difference / static_cast<double>(rows.rgb.size()), 20.0);
    }
  }
  // The default picture is the built-in framed cross.
  std::string problem;
  const std::optional<Raster> def = tables.decode("0014", problem);
  ASSERT_TRUE(def) << problem;
  EXPECT_EQ(def->width, 58u);
  EXPECT_EQ(def->height, 51u);
  EXPECT_EQ(def->pixels[3 * 58 + 3], 0);      // the frame's corner
  EXPECT_EQ(def->pixels[10 * 58 + 10], 255);  // inside the frame
  EXPECT_EQ(def->pixels[25 * 58 + 28], 0);    // the cross

  // Every choice of every question lands on an answer page.
  std::size_t choices = 0;
  for (const PreviewEntry& e : model.entries)
    for (const PreviewChoice& c : e.choices) {
      ++choices;
      EXPECT_TRUE(c.landsOnAnswer) << "entry " << e.number;
    }
  EXPECT_GT(choices, 0u);
}

std::string fileText(const std::map<std::string, std::string>& files, const std::string& name) {
  auto it = files.find(name);
  return it == files.end() ? std::string() : it->second;
}

TEST(PreviewRoundTrip, TheExampleDrillHoldsEveryQuestionChoicePictureAndSound) {
  TempDir dir;
  const fs::path example = kSource / "examples" / "quickstart";
  const std::string drl = build(dir, example, "quickstart");
  ASSERT_FALSE(drl.empty());
  const PreviewModel model = buildPreview(drl, "quickstart.drl");
  EXPECT_TRUE(model.failedChecks().empty());
  const auto files = renderPreview(model);
  const std::string html = fileText(files, "index.html");
  ASSERT_FALSE(html.empty());
  EXPECT_FALSE(fileText(files, "preview.css").empty());
  for (const char* expected :
       {"3 + 4 = ?", "5 + 2 = ?", "<b>9 - 3</b> = ?", "「ねこ」は英語で?", "「いぬ」は英語で?", "<span style=\"color:red\">赤</span>は英語で?",
        "(1) 6", "(4) 9", "(1) dog", "(2) cat", "(3) bird", "(1) blue", "(3) red", "3に4をたすと7です。",
        "<i>9から3をひく</i>と6です。", "ねこは cat です。", "time limit 00:30", "問題を読んで、正しい答えの番号を選んでください。",
        "<a href=\"#e0\">", "href=\"#e3-answer\"", "id=\"e3-answer\""})
    EXPECT_NE(html.find(expected), std::string::npos) << expected;
  EXPECT_EQ(html.find("lands on no answer page"), std::string::npos);
  EXPECT_EQ(html.find("class=\"missing\""), std::string::npos);

  // The picture: a PNG of the size the device shows, the question's <img>
  // naming it with that size.
  const PictureTables tables(model.fontImage, model.extBmpImage);
  const PictureInfoLine info = tables.infoLine(0x15);
  EXPECT_EQ(info.width, 32u);
  std::uint32_t w = 0, h = 0;
  ASSERT_TRUE(pngSize(fileText(files, "media/picture-0015.png"), w, h));
  EXPECT_EQ(w, info.width);
  EXPECT_EQ(h, info.height);
  EXPECT_NE(html.find("src=\"media/picture-0015.png\" width=\"32\" height=\"32\""), std::string::npos);
  // The sound, as stored: the bytes of the source MP3, played where the
  // comment has its sound mark.
  EXPECT_EQ(fileText(files, "media/sound-00000000.mp3"), test::readFile(example / "cat.mp3"));
  EXPECT_NE(html.find("<audio controls preload=\"none\" src=\"media/sound-00000000.mp3\""), std::string::npos);
  std::size_t pictures = 0, sounds = 0;
  for (const auto& [name, bytes] : files) {
    pictures += name.rfind("media/picture-", 0) == 0 ? 1 : 0;
    sounds += name.rfind("media/sound-", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(pictures, 1u);
  EXPECT_EQ(sounds, 1u);
}

TEST(PreviewRoundTrip, HostileTextsAreShownAsText) {
  TempDir dir;
  const std::string source =
      "\xEF\xBB\xBF設定\t\t\t<b>&amp;\r\n"
      "分類1\t分類2\t分類3\t番号\t問題\t正解\t解説\t時間\t1\t2\r\n"
      "<img src=x onerror=alert(1)>\t\t\t1\t<script>alert(\"q\")</script> & 'x'\t1\t</p>\"c\"\t\t<a href=\"y\">\t&lt;\r\n";
  test::writeFile(dir / "src" / "evil.txt", source);
  const std::string drl = build(dir, dir / "src", "evil");
  ASSERT_FALSE(drl.empty());
  const auto files = renderPreview(buildPreview(drl, "<evil>.drl"));
  const std::string html = fileText(files, "index.html");
  for (const char* expected : {"&lt;script&gt;alert(&quot;q&quot;)&lt;/script&gt; &amp; &#39;x&#39;",
                               "&lt;img src=x onerror=alert(1)&gt;", "&lt;/p&gt;&quot;c&quot;", "&lt;a href=&quot;y&quot;&gt;",
                               "&amp;lt;", "&lt;evil&gt;.drl"})
    EXPECT_NE(html.find(expected), std::string::npos) << expected << "\n" << html;
  for (const char* forbidden : {"<script", "<img src=x", "<a href=\"y\""}) EXPECT_EQ(html.find(forbidden), std::string::npos) << forbidden;
}

// Offsets of a component in a delivered container, from the read-back.
const Component* component(const Report& r, const std::string& name) {
  for (const Component& c : r.description.components)
    if (c.name == name) return &c;
  return nullptr;
}

TEST(PreviewRoundTrip, ADamagedContainerIsShownAsFarAsItDecodes) {
  TempDir dir;
  const fs::path data = kSource / "tests" / "driver" / "data" / "pictures";
  const std::string good = build(dir, data, "pictures");
  ASSERT_FALSE(good.empty());
  const Report report = inspectContainer(good, false);
  const Component* font = component(report, "Font.bin");
  const Component* dic = component(report, "Dic.bin");
  ASSERT_TRUE(font && dic);

  struct Case {
    const char* what;
    std::size_t from, to;  // the bytes overwritten
    bool picturesFail;
    bool bodyFails;
  };
  const std::size_t tables = font->offset + 29 + 3060;  // the picture tables behind the directory
  const Case cases[] = {
      {"picture tables", tables, std::size_t{font->offset} + font->size, true, false},
      {"end of the drill body", std::size_t{dic->offset} + dic->size / 2, std::size_t{dic->offset} + dic->size, false, true},
      {"picture directory", std::size_t{font->offset} + 29 + 164, std::size_t{font->offset} + 29 + 164 + 176, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (unsigned seed : {1u, 2u, 3u}) {
      std::string bad = good;
      for (std::size_t i = c.from; i < c.to; ++i) bad[i] = static_cast<char>((i * 2654435761u + seed * 97u) >> 13);
      const PreviewModel m = buildPreview(bad, "bad.drl");
      EXPECT_FALSE(m.failedChecks().empty());
      const auto files = renderPreview(m);
      const std::string html = fileText(files, "index.html");
      EXPECT_NE(html.find("<section class=\"problems\">"), std::string::npos);
      EXPECT_NE(html.find("checksum"), std::string::npos);  // the failed check is named
      if (c.picturesFail) {
        EXPECT_NE(html.find("class=\"missing\">picture"), std::string::npos);
        EXPECT_NE(html.find("第1問"), std::string::npos);  // the text still shows
      }
      if (c.bodyFails) {
        EXPECT_NE(html.find("drill body: "), std::string::npos);
        EXPECT_NE(html.find("第1問"), std::string::npos);  // the entries before the damage
      }
    }
  }
  // A cut file is no container at all: nothing to show, and it says so.
  const PreviewModel cut = buildPreview(std::string_view(good).substr(0, good.size() / 2), "cut.drl");
  EXPECT_FALSE(cut.report.notAContainer.empty());
  EXPECT_TRUE(cut.entries.empty());
}

TEST(PreviewRoundTrip, TheCommandWritesTheFolderBesideTheFile) {
  TempDir dir;
  const std::string drl = build(dir, kSource / "examples" / "quickstart", "quickstart");
  test::writeFile(dir / "drills" / "quickstart.drl", drl);
  const std::string path = (dir / "drills" / "quickstart.drl").string();
  std::ostringstream out, err;
  ASSERT_EQ(runPreview({path}, out, err), 0) << err.str();
  const fs::path folder = dir / "drills" / "quickstart-preview";
  EXPECT_EQ(out.str(), (folder / "index.html").string() + ": 6 questions, 1 picture, 1 sound\n");
  for (const char* f : {"index.html", "preview.css", "media/picture-0015.png", "media/sound-00000000.mp3"})
    EXPECT_TRUE(fs::is_regular_file(folder / f)) << f;

  // For scripts: the same content as JSON, beside the page or on its own.
  const PreviewResult withJson = writePreview(path, (dir / "with-json").string(), PreviewOptions{true});
  ASSERT_TRUE(withJson.written) << withJson.problem;
  EXPECT_EQ(withJson.questions, 6u);
  EXPECT_NE(test::readFile(dir / "with-json" / "preview.json").find("\"checksHold\": true"), std::string::npos);
  std::ostringstream json, jsonErr;
  ASSERT_EQ(runPreview({path, "--json"}, json, jsonErr), 0) << jsonErr.str();
  for (const char* expected : {"\"file\": \"quickstart.drl\"", "\"checksHold\": true", "3 + 4 = ?", "\"rightChoice\": 2",
                               "\"landsOnAnswer\": true", "(2) cat"})
    EXPECT_NE(json.str().find(expected), std::string::npos) << expected;

  struct Usage {
    std::vector<std::string> args;
    int status;
  };
  const Usage usages[] = {{{}, 2}, {{path, "-o"}, 2}, {{path, "--bogus"}, 2}, {{(dir / "none.drl").string()}, 2}};
  for (const Usage& u : usages) {
    std::ostringstream o, e;
    EXPECT_EQ(runPreview(u.args, o, e), u.status);
    EXPECT_EQ(o.str(), "");
    EXPECT_NE(e.str(), "");
  }
  test::writeFile(dir / "plain.drl", std::string(1000, 'x'));
  std::ostringstream o, e;
  EXPECT_EQ(runPreview({(dir / "plain.drl").string(), "-o", (dir / "p").string()}, o, e), 1);
  EXPECT_NE(e.str().find("is not a drill container"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "p"));
}

}  // namespace
}  // namespace dm::readback
