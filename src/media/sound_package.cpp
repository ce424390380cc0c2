#include "media/sound_package.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fstream>

#include "pictures/riff_chunk.h"
#include "work/media_warnings.h"
#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/case_fold.h"
#include "textio/wide_line.h"
#include "textio/tokenizer.h"
#include "textio/format.h"

namespace dm::sound {

using namespace workfiles;

namespace {

struct ListEntry {
  std::string line;  // as in SndFile.lst, without the line end
  std::string name;
  bool found = false;
};

bool parseId(std::u16string_view entry, std::uint32_t& number) { return parseHexPrefix(entry, 8, number); }

bool isRmp(const fs::path& path) {
  return lowerCaseExtension(path.filename().string()) == ".rmp";
}

std::string format(const char* fmt, unsigned long a, unsigned long b, unsigned long c, unsigned long d) {
  return formatted(fmt, a, b, c, d);
}

// Writes the bytes and adds them to the signed sum.
class SummingWriter {
 public:
  explicit SummingWriter(std::ostream& out) : out_(out) {}
  void write(const char* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) sum_ += static_cast<signed char>(data[i]);
    out_.write(data, static_cast<std::streamsize>(n));
  }
  void put32(std::uint32_t v) {
    const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16 & 0xFF),
                       static_cast<char>(v >> 8 & 0xFF), static_cast<char>(v & 0xFF)};
    write(b, 4);
  }
  std::int64_t sum() const { return sum_; }

 private:
  std::ostream& out_;
  std::int64_t sum_ = 0;
};

}  // namespace

void unwrapRmp(std::istream& in, std::ostream& out) {
  std::string block(kRmpBlock, '\0');
  in.read(block.data(), static_cast<std::streamsize>(block.size()));
  block.resize(static_cast<std::size_t>(in.gcount()));
  if (const std::optional<std::size_t> data = findRiffDataChunk(block, kRmpFirstChunk))
    out.write(block.data() + *data + 8, static_cast<std::streamsize>(block.size() - *data - 8));
  if (block.size() == kRmpBlock) {
    in.clear();
    std::array<char, 65536> buffer;
    while (in) {
      in.read(buffer.data(), buffer.size());
      if (in.gcount() > 0) out.write(buffer.data(), in.gcount());
    }
  }
}

std::uint16_t checkValue(std::int64_t signedSum) {
  const std::int64_t v = (0x1A5A5 - signedSum) % 65536;
  return static_cast<std::uint16_t>(v < 0 ? v + 65536 : v);
}

std::array<std::uint8_t, 4> bcdDate(const std::tm& date) {
  auto bcd = [](int v) { return static_cast<std::uint8_t>((v / 10 % 10) << 4 | v % 10); };
  const int year = date.tm_year + 1900;
  return {bcd(date.tm_mday), bcd(date.tm_mon + 1), bcd(year % 100), bcd(year / 100)};
}

void copySounds(const WorkPaths& paths, const MediaList& media, const std::vector<std::u16string>& soundList,
                std::vector<std::string>* warnings) {
  const fs::path middata = paths.middata / kSoundFolder;
  const fs::path destin = paths.destin / kSoundFolder;
  std::error_code ec;
  fs::create_directories(middata, ec);
  fs::create_directories(destin, ec);
  const fs::path listPath = soundListPath(paths);
  std::ofstream list(listPath, std::ios::binary | std::ios::trunc);
  if (!list) throw PassFailure(platform::withSystemError("can't open file " + listPath.string() + "\n", errno));
  for (const std::u16string& entry : soundList) {
    std::uint32_t number = 0;
    if (!parseId(entry, number)) continue;
    const std::string name = soundName(number);
    const fs::path target = destin / (name + kSoundCopySuffix);
    bool copied = false;
    if (const fs::path* source = findMedia(media, std::u16string_view(entry).substr(8))) {
      std::error_code failure;
      bool reading = true;
      if (isRmp(*source)) {
        platform::InputFile in(*source);
        if (in.is_open()) {
          errno = 0;
          std::ofstream out(target, std::ios::binary | std::ios::trunc);
          unwrapRmp(in, out);
          copied = static_cast<bool>(out.flush());
          if (!copied) {
            failure.assign(errno != 0 ? errno : EIO, std::generic_category());
            reading = false;
          }
        } else {
          failure = in.error();
        }
      } else if (failure = mediaReadFailure(*source); !failure) {
        failure = platform::copyFile(*source, target, true);
        copied = !failure;
        reading = false;
      }
      // A sound that vanished or could not be copied takes no space, rather
      // than leaving a stale or partial copy to be packed.
      if (!copied) {
        fs::remove(target, ec);
        if (warnings) warnings->push_back(unreadableSoundWarning(*source, failure, reading));
      }
    }
    list << name << (copied ? "\t1\n" : "\t0\n");
  }
  list.close();
  platform::deleteFilesIn(middata / kSourceFolder);
}

void writeSoundImage(const WorkPaths& paths, const std::tm& date, ProgressSink& sink) {
  SinkLogStream log(sink);
  const fs::path destin = paths.destin / kSoundFolder;
  std::vector<ListEntry> entries;
  {
    std::ifstream in(soundListPath(paths), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      ListEntry e;
      const std::size_t tab = line.find('\t');
      e.name = line.substr(0, tab);
      e.found = tab != std::string::npos && line.compare(tab + 1, std::string::npos, "1") == 0;
      e.line = std::move(line);
      entries.push_back(std::move(e));
    }
  }
  std::vector<std::uint64_t> sizes(entries.size(), 0);
  std::uint64_t data = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].found) continue;
    std::error_code ec;
    const auto size = fs::file_size(destin / (entries[i].name + kSoundCopySuffix), ec);
    sizes[i] = ec ? 0 : size;
    data += sizes[i];
  }
  const std::uint64_t first = 8 + 8 * std::uint64_t{entries.size()};
  if (first + data > 0xFFFFFFFFull) throw PassFailure("The sounds are too large for the sound image.");

  const fs::path target = soundImagePath(paths);
  std::ofstream image(target, std::ios::binary | std::ios::trunc);
  if (!image) throw PassFailure(platform::withSystemError("can't open file " + target.string() + "\n", errno));
  std::ofstream report(soundReportPath(paths), std::ios::binary | std::ios::trunc);
  SummingWriter out(image);
  out.put32(static_cast<std::uint32_t>(entries.size()));
  out.put32(static_cast<std::uint32_t>(first + data));
  std::uint64_t offset = first;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    out.put32(static_cast<std::uint32_t>(offset));
    out.put32(static_cast<std::uint32_t>(sizes[i]));
    const unsigned long from = static_cast<unsigned long>(offset - first);
    report << entries[i].line << "\tdata\n"
           << format("  From : %06lx to %06lX   Size: %06lx (%7lu)\n", from,
                     from + static_cast<unsigned long>(sizes[i]), static_cast<unsigned long>(sizes[i]),
                     static_cast<unsigned long>(sizes[i]));
    offset += sizes[i];
  }

  std::array<char, 65536> buffer;
  std::size_t written = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].found) continue;
    const fs::path path = destin / (entries[i].name + kSoundCopySuffix);
    if (++written % 100 == 0) log << "Write " << path.string() << "\n";
    std::ifstream in(path, std::ios::binary);
    if (!in) log << "No sound data: " << path.string() << "!\n";
    // Exactly the size in the directory: a file that vanished or changed
    // since it was measured is cut or filled with zeros, so every offset
    // stays true and the image stays complete.
    std::uint64_t left = sizes[i];
    while (left > 0 && in) {
      in.read(buffer.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(left, buffer.size())));
      const auto got = static_cast<std::size_t>(in.gcount());
      if (got == 0) break;
      out.write(buffer.data(), got);
      left -= got;
    }
    buffer.fill(0);
    while (left > 0) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
      out.write(buffer.data(), n);
      left -= n;
    }
  }

  const std::uint16_t check = checkValue(out.sum());
  const std::array<std::uint8_t, 4> day = bcdDate(date);
  std::array<char, 2 + 4 + kTrailerZeros> tail{};
  tail[0] = static_cast<char>(check >> 8);
  tail[1] = static_cast<char>(check & 0xFF);
  for (std::size_t i = 0; i < 4; ++i) tail[2 + i] = static_cast<char>(day[i]);
  image.write(tail.data(), static_cast<std::streamsize>(tail.size()));
  if (!image.flush()) throw PassFailure(platform::withSystemError("can't write file " + target.string() + "\n", errno));
}

}  // namespace dm::sound

namespace dm {

void buildSound(const SoundContext& context) {
  sound::copySounds(context.paths, context.media, context.soundList, &context.warnings);
  sound::writeSoundImage(context.paths, platform::buildTime(), context.sink);
}

}  // namespace dm
