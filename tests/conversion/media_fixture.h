// The parts of a run that the conversion sees, over a temporary work tree,
// with listed media files and a picture converter that answers from a table
// instead of the library.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "conversion/conversion_context.h"
#include "conversion/media_registration.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace dm::test {

// What a ConversionContext refers to, under the names the run's state uses.
struct ConversionParts {
  WorkPaths paths;
  MediaList mediaList;
  BuildOptions options;
  ConversionState conversion;
  std::vector<std::string> warnings;
  RecordingSink sink;

  ConversionContext context() { return ConversionContext{paths, mediaList, options, conversion, warnings, sink}; }
};

struct FakePicture {
  int result = 1;      // what the converter returns (negative: failure)
  int kind = 1;        // 1 and 4 are monochrome or grey
  int fileSize = 100;  // converted size
};

class MediaFixture {
 public:
  MediaFixture() {
    state.paths = WorkPaths::under(dir.path());
    fs::create_directories(state.paths.trash);
    fs::create_directories(workfiles::convertedPictureFolderPath(state.paths));
  }

  // Lists a file of the given content under dir/media.
  fs::path list(const std::string& name, std::string_view content = "x") {
    fs::path p = dir / "media" / name;
    writeFile(p, content);
    state.mediaList[lowerCaseUtf8(name)] = p;
    return p;
  }
  // Lists a picture and tells the fake converter how it converts.
  void picture(const std::string& name, FakePicture how) {
    fs::path p = list(name);
    pictures[p.filename().string()] = how;
  }

  PictureConverter converter() {
    return [this](const fs::path& source, const fs::path& target, std::int32_t width, std::int32_t height,
                  PictureInfo& info) {
      ++conversions;
      lastTarget = target;
      lastWidth = width;
      lastHeight = height;
      auto it = pictures.find(source.filename().string());
      if (it == pictures.end()) return -1;
      if (it->second.result < 0) return it->second.result;
      info.kind = it->second.kind;
      info.fileSize = it->second.fileSize;
      return it->second.result;
    };
  }

  TempDir dir;
  ConversionParts state;
  std::map<std::string, FakePicture> pictures;
  int conversions = 0;
  fs::path lastTarget;
  int lastWidth = 0, lastHeight = 0;
};

}  // namespace dm::test
