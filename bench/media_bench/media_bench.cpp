// The media phases over a drill of 500 pictures and 500 sounds: 250 1-bit
// pictures (800 x 600), 250 4-bit pictures (640 x 480, half of them off the
// grey ramp), 500 colour pictures already converted by the registration
// (copies of one 2,000 x 1,500 photo fitted to 800 pixels) and 500 MP3
// sounds of 24 KiB. The conversion of one photo, which the registration
// does once per distinct picture, is measured on its own.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "driver/run_state.h"
#include "media/bitmap_ext_image.h"
#include "media/bitmap_hex.h"
#include "media/bitmap_phase.h"
#include "media/font_image.h"
#include "pictures/picture_library.h"
#include "media/sound_package.h"

namespace dm {
namespace {

constexpr int kPictures = 500;
constexpr int kSounds = 500;

void put16(std::string& s, std::uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8 & 0xFF));
}
void put32(std::string& s, std::uint32_t v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}

// An uncompressed BMP; `pixel` gives the palette index (or 0xRRGGBB).
template <class Pixel>
std::string bmp(int w, int h, int bits, const std::vector<std::uint32_t>& palette, Pixel pixel) {
  const std::uint32_t stride = (static_cast<std::uint32_t>(w) * bits + 31) / 32 * 4;
  const std::uint32_t offset = 54 + 4 * static_cast<std::uint32_t>(palette.size());
  std::string s = "BM";
  put32(s, offset + stride * h);
  put32(s, 0);
  put32(s, offset);
  put32(s, 40);
  put32(s, w);
  put32(s, h);
  put16(s, 1);
  put16(s, bits);
  put32(s, 0);
  put32(s, stride * h);
  put32(s, 2835);
  put32(s, 2835);
  put32(s, static_cast<std::uint32_t>(palette.size()));
  put32(s, 0);
  for (std::uint32_t c : palette) put32(s, c);
  std::string row(stride, '\0');
  for (int y = h - 1; y >= 0; --y) {
    std::fill(row.begin(), row.end(), '\0');
    for (int x = 0; x < w; ++x) {
      const std::uint32_t v = pixel(x, y);
      if (bits == 1) row[x / 8] = static_cast<char>(row[x / 8] | (v & 1) << (7 - x % 8));
      else if (bits == 4) row[x / 2] = static_cast<char>(row[x / 2] | (v & 15) << (x % 2 ? 0 : 4));
      else {
        row[3 * x] = static_cast<char>(v & 0xFF);
        row[3 * x + 1] = static_cast<char>(v >> 8 & 0xFF);
        row[3 * x + 2] = static_cast<char>(v >> 16 & 0xFF);
      }
    }
    s += row;
  }
  return s;
}

void write(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::u16string entry(unsigned number, int digits, const std::string& name) {
  char n[16];
  std::snprintf(n, sizeof n, "%0*x", digits, number);
  return std::u16string(n, n + digits) + std::u16string(name.begin(), name.end());
}

struct Drill {
  fs::path base;
  RunState state;
  fs::path photo;

  Drill() {
    char tmpl[] = "/tmp/dm-media-bench-XXXXXX";
    base = ::mkdtemp(tmpl);
    state.paths = WorkPaths::under(base);
    for (const char* d : {"Middata/Bmp", "Middata/BmpExt", "Middata/Sound/Source", "Destin/Bmp", "Destin/BmpExt",
                          "Destin/Sound", "Trash"})
      fs::create_directories(state.paths.root / d);
    const fs::path user = base / "user";
    fs::create_directories(user);
    std::mt19937 random(7);
    MediaRegistration& reg = state.conversion.media;
    reg.monochromeList.push_back(u"0014default.bmp");
    std::vector<std::uint32_t> mono = {0xFFFFFF, 0};
    std::vector<std::uint32_t> ramp, off;
    for (std::uint32_t i = 0; i < 16; ++i) {
      ramp.push_back(0x111111 * i);
      off.push_back(0x100000 * i + 0x000300 * i + 0x07);
    }
    for (int i = 0; i < kPictures / 2; ++i) {
      const std::string name = "mono" + std::to_string(i) + ".bmp";
      write(user / name, bmp(800, 600, 1, mono, [&](int x, int y) { return ((x / (8 + i % 5)) + y / 16 + i) & 1u; }));
      state.mediaList[name] = user / name;
      reg.monochromeList.push_back(entry(0x15 + static_cast<unsigned>(reg.monochromeList.size()) - 1, 4, name));
    }
    for (int i = 0; i < kPictures / 2; ++i) {
      const std::string name = "grey" + std::to_string(i) + ".bmp";
      const bool noisy = i % 3 == 0;
      write(user / name, bmp(640, 480, 4, i % 2 ? off : ramp, [&](int x, int y) {
              return noisy ? static_cast<std::uint32_t>(random() & 15) : static_cast<std::uint32_t>((x / 40 + y / 30) & 15);
            }));
      state.mediaList[name] = user / name;
      reg.monochromeList.push_back(entry(0x15 + static_cast<unsigned>(reg.monochromeList.size()) - 1, 4, name));
    }
    // One photo converted as the registration would, copied for every colour picture.
    photo = user / "photo.bmp";
    write(photo, bmp(2000, 1500, 24, {}, [](int x, int y) { return static_cast<std::uint32_t>(x * 131 + y * 7919) & 0xFFFFFF; }));
    PictureInfo info;
    const fs::path converted = state.paths.middata / workfiles::kBmpExtFolder / "photo0.jpg";
    PictureZoom(photo, converted, 800, -1, info);
    for (int i = 0; i < kPictures; ++i) {
      const std::string name = "photo" + std::to_string(i) + ".jpg";
      if (i) fs::copy_file(converted, state.paths.middata / workfiles::kBmpExtFolder / name, fs::copy_options::overwrite_existing);
      reg.otherList.push_back(entry(static_cast<unsigned>(i + 1), 4, name));
    }
    std::string sound(24 * 1024, '\0');
    for (int i = 0; i < kSounds; ++i) {
      for (char& c : sound) c = static_cast<char>(random());
      const std::string name = "sound" + std::to_string(i) + ".mp3";
      write(user / name, sound);
      state.mediaList[name] = user / name;
      reg.soundList.push_back(entry(static_cast<unsigned>(i), 8, name));
    }
  }
  ~Drill() {
    std::error_code ec;
    fs::remove_all(base, ec);
  }

  // The phases' contexts over the drill, as the build pass makes them.
  BitmapContext bitmapContext() {
    return {state.paths, state.mediaList, state.conversion.coverPicture, state.conversion.media.monochromeList,
            state.conversion.media.otherList, state.mediaPhases, state.warnings, quietSink()};
  }
  SoundContext soundContext() {
    return {state.paths, state.mediaList, state.conversion.media.soundList, state.warnings, quietSink()};
  }
};

Drill& drill() {
  static Drill d;
  return d;
}

void BM_BitmapPhase(benchmark::State& s) {
  Drill& d = drill();
  const std::vector<std::u16string> others = d.state.conversion.media.otherList;
  for (auto _ : s) {
    d.state.conversion.media.otherList = others;
    buildBitmaps(d.bitmapContext());
  }
}
BENCHMARK(BM_BitmapPhase)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FontAndColourImages(benchmark::State& s) {
  Drill& d = drill();
  d.state.conversion.media.otherList.resize(kPictures);
  buildBitmaps(d.bitmapContext());
  for (auto _ : s) {
    buildFontImage(d.state.paths, quietSink());
    buildExtBmpImage(d.state.paths, quietSink());
  }
}
BENCHMARK(BM_FontAndColourImages)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SoundPhase(benchmark::State& s) {
  Drill& d = drill();
  for (auto _ : s) buildSound(d.soundContext());
}
BENCHMARK(BM_SoundPhase)->Unit(benchmark::kMillisecond)->Iterations(3);

// What the registration spends per distinct colour photo.
void BM_ConvertOnePhoto(benchmark::State& s) {
  Drill& d = drill();
  for (auto _ : s) {
    PictureInfo info;
    PictureZoom(d.photo, d.base / "converted.jpg", 800, -1, info);
  }
}
BENCHMARK(BM_ConvertOnePhoto)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace dm

BENCHMARK_MAIN();
