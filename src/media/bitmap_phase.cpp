#include "media/bitmap_phase.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

#include "media/bitmap_classify.h"
#include "media/bitmap_colour_store.h"
#include "media/bitmap_hex.h"
#include "media/bitmap_run_length.h"
#include "media/bitmap_symbol_coder.h"
#include "media/bitmap_tables.h"
#include "work/media_warnings.h"
#include "pictures/picture_library.h"
#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/case_fold.h"
#include "textio/wide_line.h"
#include "textio/tokenizer.h"
#include "textio/format.h"

namespace dm::bitmap {

using namespace workfiles;

namespace {

// One line of BmpFile.lst: picture name and bits-per-pixel code.
struct ListLine {
  std::string text;  // without the line end
  std::string name;
  std::string code;
};

ListLine parseListLine(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  ListLine l;
  const std::size_t tab = line.find('\t');
  l.name = line.substr(0, tab);
  if (tab != std::string::npos) {
    const std::size_t tab2 = line.find('\t', tab + 1);
    l.code = line.substr(tab + 1, tab2 == std::string::npos ? std::string::npos : tab2 - tab - 1);
  }
  l.text = std::move(line);
  return l;
}

std::vector<ListLine> readList(const fs::path& path) {
  std::vector<ListLine> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) lines.push_back(parseListLine(std::move(line)));
  return lines;
}

bool parseNumber(std::u16string_view entry, std::uint32_t& number) { return parseHexPrefix(entry, 4, number); }

// The file name as it may stand in a list line: no line breaks or TABs.
std::string listText(std::u16string_view name) {
  std::string text = utf16ToUtf8(name);
  for (char& c : text)
    if (c == '\n' || c == '\r' || c == '\t') c = '?';
  return text;
}

std::ofstream create(const fs::path& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw PassFailure(platform::withSystemError("can't open file " + path.string() + "\n", errno));
  return out;
}

void removeFile(const fs::path& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

bool emptyFile(const fs::path& path) {
  std::error_code ec;
  const auto size = fs::file_size(path, ec);
  return ec || size == 0;
}

// Every table name of the classes, so that a build never leaves tables of an
// earlier build beside its own.
void removeClassTables(const fs::path& dst) {
  for (const char* base : {kMonoSymbolTable, kRawTable, kColourSymbolTable, kRunLengthTable})
    for (const char* ext :
         {kTableInfoExt, kTableAddressExt, kTableCodeExt, kTableDataExt, kTableHeaderExt, kTableRawExt})
      removeFile(dst / (std::string(base) + ext));
  for (int c = 3; c <= 6; ++c) removeFile(dst / classListName(c));
  removeFile(dst / kMergedInfo);
}

// Joins the hex bitmaps of the listed pictures into `cln`, every line
// prefixed with "TT\t". Stops at the first one that cannot be opened.
void concatenate(const std::vector<ListLine>& pictures, const fs::path& mid, const fs::path& cln) {
  std::ofstream out = create(cln);
  std::string line;
  for (const ListLine& p : pictures) {
    std::ifstream in(mid / (p.name + kHexSuffix), std::ios::binary);
    if (!in) break;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      out << "TT\t" << line << '\n';
    }
  }
}

struct TableFiles {
  std::ofstream h, cod, dic, add, inf;
  TableStreams streams() { return {h.is_open() ? &h : nullptr, cod.is_open() ? &cod : nullptr, &dic, &add, &inf}; }
};

void codeSymbolClass(const std::vector<ListLine>& pictures, const fs::path& mid, const fs::path& dst,
                     const fs::path& cln, const char* table, const char* ident, bool colour) {
  concatenate(pictures, mid, cln);
  if (colour && !swapNibblesInFile(cln)) throw PassFailure("can't open file " + cln.string() + "\n");
  std::ifstream in(cln, std::ios::binary);
  if (!in) throw PassFailure("can't open file " + cln.string() + "\n");
  const std::string base = (dst / table).string();
  TableFiles f;
  f.h = create(base + kTableHeaderExt);
  f.cod = create(base + kTableCodeExt);
  f.dic = create(base + kTableDataExt);
  f.add = create(base + kTableAddressExt);
  f.inf = create(base + kTableInfoExt);
  writeSymbolTables(in, SymbolTableSpec{ident, colour}, f.streams());
}

void codeRawClass(const std::vector<ListLine>& pictures, const fs::path& mid, const fs::path& dst) {
  const std::string base = (dst / kRawTable).string();
  {
    TableFiles f;
    f.dic = create(base + kTableRawExt);
    f.add = create(base + kTableAddressExt);
    f.inf = create(base + kTableInfoExt);
    const TableStreams s = f.streams();
    RawTableState state;
    for (const ListLine& p : pictures) {
      std::ifstream in(mid / (p.name + kHexSuffix), std::ios::binary);
      if (!in) {
        *s.inf << kDefaultInfoLine;
        continue;
      }
      writeRawTables(in, s, state);
    }
  }
  if (emptyFile(base + kTableRawExt)) {
    for (const char* ext : {kTableRawExt, kTableAddressExt, kTableInfoExt}) removeFile(base + ext);
    return;
  }
  if (!swapNibblesInFile(base + kTableRawExt)) throw PassFailure("can't open file " + base + kTableRawExt + "\n");
}

void codeRunLengthClass(const std::vector<ListLine>& pictures, const fs::path& mid, const fs::path& dst,
                        const fs::path& cln) {
  concatenate(pictures, mid, cln);
  if (!swapNibblesInFile(cln)) throw PassFailure("can't open file " + cln.string() + "\n");
  std::ifstream in(cln, std::ios::binary);
  if (!in) throw PassFailure("can't open file " + cln.string() + "\n");
  const std::string base = (dst / kRunLengthTable).string();
  TableFiles f;
  f.h = create(base + kTableHeaderExt);  // stays empty: the run-length code has no symbol table
  f.dic = create(base + kTableDataExt);
  f.add = create(base + kTableAddressExt);
  f.inf = create(base + kTableInfoExt);
  writeRunLengthTables(in, f.streams());
}

// Picture number order over the class tables: the next line of one table.
class InfoTable {
 public:
  explicit InfoTable(const fs::path& path) : in_(path, std::ios::binary) {}
  std::string next() {
    std::string line;
    if (!in_ || !std::getline(in_, line)) return std::string(kUnusedInfoLine);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line + "\n";
  }

 private:
  std::ifstream in_;
};

}  // namespace

void writeMonochromeTables(const WorkPaths& paths, const MediaList& media,
                           const std::vector<std::u16string>& monochromeList, ProgressSink& sink,
                           std::vector<std::string>* warnings) {
  SinkLogStream log(sink);
  const fs::path mid = paths.middata / kBmpFolder;
  const fs::path dst = paths.destin / kBmpFolder;
  std::error_code ec;
  fs::create_directories(mid, ec);
  fs::create_directories(dst, ec);
  fs::create_directories(paths.trash, ec);
  removeClassTables(dst);

  // Hex bitmaps, the picture list and the number header.
  const fs::path listPath = mid / kPictureList;
  {
    std::ofstream list = create(listPath);
    std::ofstream header = create(mid / (std::string(kInternalName) + kNumberHeaderSuffix));
    header << "#ifndef\t_" << kInternalName << "_H_\n#define\t_" << kInternalName << "_H\n\n";
    std::optional<std::uint32_t> previous;
    for (const std::u16string& entry : monochromeList) {
      std::uint32_t number = 0;
      // Lines stand for numbers 0, 1, 2, ...: an entry that does not follow
      // the previous number cannot have its line and is left out.
      if (!parseNumber(entry, number) || (previous && number <= *previous)) continue;
      const std::uint32_t from = previous ? *previous + 1 : (number >= kDefaultPictureNumber ? 0 : number);
      for (std::uint32_t n = from; n < number; ++n) list << kFillerLine;
      previous = number;

      const std::string name = pictureName(number);
      const std::u16string_view file = std::u16string_view(entry).substr(4);
      const fs::path hexPath = mid / (name + kHexSuffix);
      int bits = 0;
      if (number == kDefaultPictureNumber) {
        std::ofstream hex = create(hexPath);
        hex << defaultHexText();
        bits = 1;
      } else if (const fs::path* source = findMedia(media, file)) {
        HexBitmap bitmap;
        const SourceResult r = readHexSource(*source, paths.trash / (name + kPictureCopySuffix), bitmap);
        std::ofstream hex = create(hexPath);
        if (r == SourceResult::kOk) {
          writeHexBitmap(hex, bitmap);
          bits = bitmap.bits;
        } else if (const std::error_code failure = mediaReadFailure(*source); failure && warnings) {
          warnings->push_back(unreadablePictureWarning(*source, failure));
        }
        // Otherwise the file stays empty and the picture counts as missing.
      }
      if (bits == 0) {
        list << name << "\t0\n";
        continue;
      }
      list << name << '\t' << bits << "\t::" << listText(file) << '\n';
      header << formatted("#define\t%s_BMP\t\t%04x\n", name.c_str(), number);
    }
    header << "\n#endif\n";
  }

  // Class lists: 1 bit -> class 3; 4 bits -> classified into 4, 5 or 6.
  const std::vector<ListLine> lines = readList(listPath);
  std::vector<ListLine> classes[7];
  {
    std::ofstream clr = create(mid / kPictureClassList);
    GreyClassifier classifier;
    for (const ListLine& l : lines) {
      if (l.code == "1") {
        classes[3].push_back(l);
      } else if (l.code == "4") {
        HexBitmap picture;
        std::ifstream in(mid / (l.name + kHexSuffix), std::ios::binary);
        HexPictureReader reader(in);
        std::string digits;
        if (reader.next(picture))
          for (const std::string& row : picture.rows) digits += row;
        const RunLengthEstimate e = estimateRunLength(digits);
        log << formatted("%f\n", e.ratio);
        const int c = classifier.classify(e);
        classes[c].push_back(l);
        clr << l.name << '\t' << c << '\n';
      }
    }
  }
  for (int c = 3; c <= 6; ++c) {
    if (classes[c].empty()) continue;
    std::ofstream list = create(dst / classListName(c));
    for (const ListLine& l : classes[c]) list << l.text << '\n';
  }

  // The tables of every class, in the order 3, 4, 5, 6.
  const fs::path cln = paths.trash / kConcatenatedBitmaps;
  if (!classes[3].empty()) codeSymbolClass(classes[3], mid, dst, cln, kMonoSymbolTable, kMonoSymbolIdent, false);
  if (!classes[4].empty()) codeRawClass(classes[4], mid, dst);
  if (!classes[5].empty()) codeSymbolClass(classes[5], mid, dst, cln, kColourSymbolTable, kColourSymbolIdent, true);
  if (!classes[6].empty()) codeRunLengthClass(classes[6], mid, dst, cln);

  // The merged information table, one line per BmpFile.lst line.
  InfoTable mono(dst / (std::string(kMonoSymbolTable) + kTableInfoExt));
  InfoTable raw(dst / (std::string(kRawTable) + kTableInfoExt));
  InfoTable symbol(dst / (std::string(kColourSymbolTable) + kTableInfoExt));
  InfoTable runLength(dst / (std::string(kRunLengthTable) + kTableInfoExt));
  std::ifstream clr(mid / kPictureClassList, std::ios::binary);
  std::ofstream merged = create(dst / kMergedInfo);
  for (const ListLine& l : lines) {
    if (l.code == "1") {
      merged << mono.next();
    } else if (l.code == "4") {
      std::string line;
      const std::string c = std::getline(clr, line) ? parseListLine(line).code : std::string();
      if (c == "4") merged << raw.next();
      else if (c == "5") merged << symbol.next();
      else if (c == "6") merged << runLength.next();
      else merged << kUnusedInfoLine;
    } else {
      merged << kUnusedInfoLine;
    }
  }
}

void writeColourPictures(const BitmapContext& context) {
  std::vector<std::u16string>& otherList = context.otherList;
  const fs::path source = context.paths.middata / kBmpExtFolder;
  // Cleared first, so a failed conversion never keeps an earlier run's value.
  context.phaseState.coverPictureFlag = 0;
  const std::u16string& cover = context.coverPicture;
  if (!cover.empty()) {
    if (const fs::path* path = findMedia(context.media, cover)) {
      const std::u16string name = lowerCase(cover) + utf8ToUtf16(kCoverSuffix);
      const std::string target = utf16ToUtf8(name);
      std::error_code ec;
      fs::create_directories(source, ec);
      PictureInfo info;
      if (target.find('/') == std::string::npos) {
        if (PictureZoom(*path, source / target, kCoverWidth, kCoverHeight, info) >= 0) {
          otherList.insert(otherList.begin(), u"0000" + name);
          context.phaseState.coverPictureFlag = (info.kind != 1 && info.kind != 4) ? 1 : 0;
        } else if (const std::error_code failure = mediaReadFailure(*path)) {
          context.warnings.push_back(unreadableCoverWarning(*path, failure));
        }
      }
    }
  }
  if (!otherList.empty()) {
    SinkLogStream log(context.sink);
    writeColourStore(otherList, source, context.paths.destin / kBmpExtFolder, log);
  }
}

}  // namespace dm::bitmap

namespace dm {

void buildBitmaps(const BitmapContext& context) {
  bitmap::writeColourPictures(context);
  bitmap::writeMonochromeTables(context.paths, context.media, context.monochromeList, context.sink,
                                &context.warnings);
}

}  // namespace dm
