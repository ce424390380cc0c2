#include "conversion/menu_data_pass.h"

#include "conversion/block_text.h"
#include "textio/background_output.h"
#include "textio/pass_io.h"
#include "textio/wide_line.h"

namespace dm {

namespace bt = blocktext;

std::u16string withoutSoundCodes(std::u16string_view value) {
  std::u16string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == bt::kSoundBegin) {
      std::size_t end = value.find(bt::kSoundEnd, i + 1);
      if (end != std::u16string_view::npos) {
        i = end;
        continue;
      }
    }
    out.push_back(value[i]);
  }
  return out;
}

namespace {

void putMenuLabel(std::u16string& menuLine, std::u16string_view label, std::uint32_t entry) {
  menuLine.append(label);
  menuLine.push_back(bt::kTab);
  menuLine += bt::hexText(entry, 8);
  menuLine.append(bt::kLineEnd);
}

}  // namespace

MenuDataResult menuDataPass(std::istream& in, std::ostream& clean, std::ostream& menu) {
  MenuDataResult result;
  copyByteOrderMark(in, clean);
  writeByteOrderMark(menu);

  WideLineReader reader(in);
  WideLineWriter cleanOut(clean);
  WideLineWriter menuOut(menu);
  std::uint32_t entry = 0;
  std::u16string line, menuLine;
  bool pending = false;  // `line` still needs the outer handling
  for (;;) {
    if (!pending && !reader.read(line)) break;
    pending = false;
    if (bt::startsWith(line, bt::kTagCtgFamily)) {
      menuLine.append(bt::valueOf(line));
      menuLine.push_back(bt::kTab);
    } else if (bt::hasTag(line, bt::kTagTime)) {
      // The label: the first question line with text (sound codes do not
      // count), else (画) or (音) for a question that starts with a picture
      // or a sound.
      bool picture = false, sound = false;
      bool labelled = false;
      cleanOut.write(line);
      while (reader.read(line)) {
        if (bt::startsWith(line, bt::kTagPicture)) {
          if (!sound) picture = true;
          cleanOut.write(line);
          continue;
        }
        if (bt::startsWith(line, bt::kTagQuestion)) {
          std::u16string_view value = bt::valueOf(line);
          if (!value.empty()) {
            std::u16string label = withoutSoundCodes(value);
            if (!label.empty()) {
              cleanOut.write(line);
              putMenuLabel(menuLine, label, entry);
              labelled = true;
              break;
            }
            if (!picture) sound = true;
          }
          cleanOut.write(line);
          continue;
        }
        pending = true;
        break;
      }
      if (!labelled) putMenuLabel(menuLine, picture ? kPictureLabel : sound ? kSoundLabel : u"", entry);
      menuOut.write(menuLine);
      menuLine.clear();
      ++result.menuLines;
    } else if (bt::hasTag(line, bt::kTagLegendMark)) {
      result.legendEntry = entry;
    } else {
      if (bt::startsWith(line, bt::kEndWord)) ++entry;
      cleanOut.write(line);
    }
  }
  return result;
}

MenuDataResult menuDataPass(const std::filesystem::path& inPath, const std::filesystem::path& cleanPath,
                            const std::filesystem::path& menuPath) {
  std::ifstream in = openPassInput(inPath);
  BackgroundOutput clean(cleanPath);
  BackgroundOutput menu(menuPath);
  MenuDataResult result = menuDataPass(in, clean, menu);
  clean.close();
  menu.close();
  return result;
}

}  // namespace dm
