// The first worksheet of an Office Open XML workbook: xl/workbook.xml names
// the sheets in order, its relationships give the part of the first one;
// shared strings and the number formats and fonts of the cell formats come
// from their own parts.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

#include "platform/failure.h"
#include "workbook/number_format.h"
#include "workbook/readers.h"
#include "workbook/styled_run.h"
#include "workbook/xml_stream.h"

namespace dm::workbook {

std::uint32_t cellColumn(std::string_view reference, std::uint32_t& row) {
  std::uint64_t column = 0;
  std::size_t i = 0;
  for (; i < reference.size() && std::isalpha(static_cast<unsigned char>(reference[i])); ++i) {
    column = column * 26 + static_cast<std::uint64_t>(std::toupper(static_cast<unsigned char>(reference[i])) - 'A' + 1);
    if (column > 0xFFFFFF) column = 0xFFFFFF;
  }
  std::uint64_t r = 0;
  for (; i < reference.size() && std::isdigit(static_cast<unsigned char>(reference[i])); ++i) {
    r = r * 10 + static_cast<std::uint64_t>(reference[i] - '0');
    if (r > 0xFFFFFFF) r = 0xFFFFFFF;
  }
  row = static_cast<std::uint32_t>(r);
  return static_cast<std::uint32_t>(column);
}

namespace {

std::uint64_t number(const char* text, std::uint64_t fallback = 0) {
  if (!text) return fallback;
  std::uint64_t value = 0;
  const char* end = text + std::strlen(text);
  auto [ptr, ec] = std::from_chars(text, end, value);
  return ec == std::errc() ? value : fallback;
}

bool flagOn(const char** attributes) {
  const char* val = attribute(attributes, "val");
  return !val || (std::string_view(val) != "0" && std::string_view(val) != "false" &&
                  std::string_view(val) != "none");
}

// Reads a font's features from <b/>, <i/>, <u/>, <color rgb=.../> inside a
// <font> or a run's <rPr>.
void fontFeature(std::string_view name, const char** attributes, RunStyle& style) {
  if (name == "b") style.bold = flagOn(attributes);
  if (name == "i") style.italic = flagOn(attributes);
  if (name == "u") style.underline = flagOn(attributes);
  if (name == "color")
    if (const char* rgb = attribute(attributes, "rgb")) style.colour = colourCode(rgb);
}

// Decodes the escapes "_xHHHH_" a workbook writes for characters XML cannot hold.
std::string unescaped(std::string text) {
  std::size_t at = text.find("_x");
  if (at == std::string::npos) return text;
  std::string out;
  std::size_t from = 0;
  for (; at != std::string::npos; at = text.find("_x", at + 1)) {
    if (at + 7 > text.size() || text[at + 6] != '_') continue;
    unsigned code = 0;
    auto [ptr, ec] = std::from_chars(text.data() + at + 2, text.data() + at + 6, code, 16);
    if (ec != std::errc() || ptr != text.data() + at + 6) continue;
    out.append(text, from, at - from);
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | code >> 6));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | code >> 12));
      out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    from = at + 7;
    at += 6;
  }
  out.append(text, from, std::string::npos);
  return out;
}

// Collects rich text: the runs of an <si> or <is>, each <t> (outside the
// phonetic runs <rPh>) with the features of its run's <rPr>.
class RichTextCollector {
 public:
  void start(std::string_view name, const char** attributes) {
    if (name == "rPh") ++phonetic_;
    if (phonetic_) return;
    if (name == "r") {
      runStyle_ = std::nullopt;
    } else if (name == "rPr") {
      runStyle_ = RunStyle{};
      inRunProperties_ = true;
    } else if (inRunProperties_) {
      fontFeature(name, attributes, *runStyle_);
    } else if (name == "t") {
      inText_ = true;
      runs_.push_back(StyledRun{});
      runs_.back().style = runStyle_.value_or(cellStyle_);
      ownStyle_.push_back(runStyle_.has_value());
    }
  }
  void end(std::string_view name) {
    if (name == "rPh") {
      --phonetic_;
      return;
    }
    if (name == "rPr") inRunProperties_ = false;
    if (name == "t") inText_ = false;
  }
  void text(std::string_view utf8) {
    if (inText_ && !phonetic_ && !runs_.empty()) runs_.back().text += utf8;
  }
  // The runs, those without their own features taking `cellStyle`.
  std::vector<StyledRun> take(const RunStyle& cellStyle) {
    for (std::size_t k = 0; k < runs_.size(); ++k) {
      if (!ownStyle_[k]) runs_[k].style = cellStyle;
      runs_[k].text = unescaped(std::move(runs_[k].text));
    }
    std::vector<StyledRun> out = std::move(runs_);
    runs_.clear();
    ownStyle_.clear();
    return out;
  }
  bool empty() const { return runs_.empty(); }

 private:
  std::vector<StyledRun> runs_;
  std::vector<bool> ownStyle_;
  std::optional<RunStyle> runStyle_;
  RunStyle cellStyle_;
  int phonetic_ = 0;
  bool inRunProperties_ = false;
  bool inText_ = false;
};

// The first <sheet r:id="..."> of xl/workbook.xml.
class WorkbookHandler : public XmlHandler {
 public:
  std::optional<std::string> firstSheet;
  bool date1904 = false;
  void start(std::string_view name, const char** attributes) override {
    if (name == "workbookPr") {
      const char* flag = attribute(attributes, "date1904");
      date1904 = flag && (std::string_view(flag) == "1" || std::string_view(flag) == "true");
    }
    if (name == "sheet" && !firstSheet) {
      const char* id = attribute(attributes, "id");
      firstSheet = id ? id : "";
    }
  }
  void end(std::string_view) override {}
  void text(std::string_view) override {}
};

// Relationship ids and types to targets.
class RelationsHandler : public XmlHandler {
 public:
  std::map<std::string, std::string> targets;
  std::string sharedStrings;
  std::string styles;
  void start(std::string_view name, const char** attributes) override {
    if (name != "Relationship") return;
    const char* id = attribute(attributes, "Id");
    const char* type = attribute(attributes, "Type");
    const char* target = attribute(attributes, "Target");
    if (!target) return;
    if (id) targets[id] = target;
    const std::string_view t = type ? type : "";
    if (t.ends_with("/sharedStrings")) sharedStrings = target;
    if (t.ends_with("/styles")) styles = target;
  }
  void end(std::string_view) override {}
  void text(std::string_view) override {}
};

// The part a relationship of xl/workbook.xml points to.
std::string partOf(const std::string& target) {
  if (target.starts_with("/")) return target.substr(1);
  std::vector<std::string> parts = {"xl"};
  std::size_t from = 0;
  while (from <= target.size()) {
    std::size_t slash = target.find('/', from);
    if (slash == std::string::npos) slash = target.size();
    const std::string piece = target.substr(from, slash - from);
    if (piece == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!piece.empty() && piece != ".") {
      parts.push_back(piece);
    }
    from = slash + 1;
  }
  std::string path;
  for (const std::string& piece : parts) path += (path.empty() ? "" : "/") + piece;
  return path;
}

struct CellFormat {
  std::string code = "General";
  RunStyle font;
};

// Number formats, fonts and the cell formats (<cellXfs>) of xl/styles.xml.
class StylesHandler : public XmlHandler {
 public:
  std::vector<CellFormat> formats;
  void start(std::string_view name, const char** attributes) override {
    if (name == "numFmt") {
      const char* code = attribute(attributes, "formatCode");
      codes_[static_cast<unsigned>(number(attribute(attributes, "numFmtId")))] = code ? code : "General";
    } else if (name == "fonts") {
      inFonts_ = true;
    } else if (inFonts_ && name == "font") {
      fonts_.emplace_back();
    } else if (inFonts_ && !fonts_.empty()) {
      fontFeature(name, attributes, fonts_.back());
    } else if (name == "cellXfs") {
      inCellFormats_ = true;
    } else if (inCellFormats_ && name == "xf") {
      const auto id = static_cast<unsigned>(number(attribute(attributes, "numFmtId")));
      const auto font = number(attribute(attributes, "fontId"));
      CellFormat format;
      const auto custom = codes_.find(id);
      format.code = custom != codes_.end() ? custom->second : builtinFormatCode(id);
      if (font < fonts_.size()) format.font = fonts_[font];
      formats.push_back(std::move(format));
    }
  }
  void end(std::string_view name) override {
    if (name == "fonts") inFonts_ = false;
    if (name == "cellXfs") inCellFormats_ = false;
  }
  void text(std::string_view) override {}

 private:
  std::map<unsigned, std::string> codes_;
  std::vector<RunStyle> fonts_;
  bool inFonts_ = false;
  bool inCellFormats_ = false;
};

// The shared strings, each kept as its runs.
class SharedStringsHandler : public XmlHandler {
 public:
  std::vector<std::vector<StyledRun>> strings;
  void start(std::string_view name, const char** attributes) override {
    if (name == "si") inItem_ = true;
    if (inItem_) collector_.start(name, attributes);
  }
  void end(std::string_view name) override {
    if (!inItem_) return;
    collector_.end(name);
    if (name == "si") {
      strings.push_back(collector_.take(RunStyle{}));
      inItem_ = false;
    }
  }
  void text(std::string_view utf8) override {
    if (inItem_) collector_.text(utf8);
  }

 private:
  RichTextCollector collector_;
  bool inItem_ = false;
};

// The cells of the worksheet, each handed to the sheet text as it closes.
class WorksheetHandler : public XmlHandler {
 public:
  WorksheetHandler(const std::string& label, const std::vector<std::vector<StyledRun>>& strings,
                   const std::vector<CellFormat>& formats, bool date1904, const Options& options, SheetText& sheet)
      : label_(label), strings_(strings), formats_(formats), date1904_(date1904), options_(options), sheet_(sheet) {}

  void start(std::string_view name, const char** attributes) override {
    if (name == "row") {
      const std::uint64_t r = number(attribute(attributes, "r"), 0);
      row_ = r != 0 ? static_cast<std::uint32_t>(std::min<std::uint64_t>(r, 0xFFFFFFF)) : row_ + 1;
      column_ = 0;
    } else if (name == "c") {
      inCell_ = true;
      std::uint32_t refRow = 0;
      const char* reference = attribute(attributes, "r");
      const std::uint32_t column = reference ? cellColumn(reference, refRow) : 0;
      column_ = column != 0 ? column : column_ + 1;
      const char* type = attribute(attributes, "t");
      type_ = type ? type : "n";
      format_ = number(attribute(attributes, "s"), 0);
      value_.clear();
    } else if (inCell_ && name == "v") {
      inValue_ = true;
    } else if (inCell_ && name == "is") {
      inInline_ = true;
    } else if (inInline_) {
      collector_.start(name, attributes);
    }
  }

  void end(std::string_view name) override {
    if (inInline_) {
      if (name == "is")
        inInline_ = false;
      else
        collector_.end(name);
    } else if (name == "v") {
      inValue_ = false;
    } else if (name == "c" && inCell_) {
      inCell_ = false;
      sheet_.cell(row_, column_, cellText());
    }
  }

  void text(std::string_view utf8) override {
    if (inInline_)
      collector_.text(utf8);
    else if (inValue_)
      value_ += utf8;
  }

 private:
  const CellFormat& format() const {
    static const CellFormat general;
    return format_ < formats_.size() ? formats_[format_] : general;
  }

  std::string styled(std::vector<StyledRun> runs) const {
    return options_.cellStyles ? markedText(runs) : plainText(runs);
  }

  std::string styled(std::string text) const {
    if (!options_.cellStyles) return text;
    return markedText({StyledRun{std::move(text), format().font}});
  }

  std::string cellText() {
    if (type_ == "inlineStr") return styled(collector_.take(format().font));
    if (type_ == "s") {
      const std::uint64_t index = number(value_.c_str(), ~0ull);
      if (index >= strings_.size())
        throw PassFailure("The workbook " + label_ + " is damaged: the cell in row " + std::to_string(row_) +
                          ", column " + std::to_string(column_) + " refers to shared string " +
                          (value_.empty() ? std::string("(none)") : value_) + ", but the workbook holds " +
                          std::to_string(strings_.size()) + ".");
      std::vector<StyledRun> runs = strings_[index];
      for (StyledRun& run : runs)
        if (run.style == RunStyle{}) run.style = format().font;
      return styled(std::move(runs));
    }
    if (type_ == "b") return styled(std::string(value_ == "1" ? "TRUE" : "FALSE"));
    if (type_ == "str" || type_ == "e" || type_ == "d") return styled(unescaped(value_));
    if (value_.empty()) return {};
    double value = 0;
    auto [ptr, ec] = std::from_chars(value_.data(), value_.data() + value_.size(), value);
    if (ec != std::errc()) return styled(value_);
    return styled(formatNumber(value, format().code, date1904_));
  }

  const std::string& label_;
  const std::vector<std::vector<StyledRun>>& strings_;
  const std::vector<CellFormat>& formats_;
  bool date1904_;
  const Options& options_;
  SheetText& sheet_;
  RichTextCollector collector_;
  std::uint32_t row_ = 0;
  std::uint32_t column_ = 0;
  std::string type_;
  std::uint64_t format_ = 0;
  std::string value_;
  bool inCell_ = false;
  bool inValue_ = false;
  bool inInline_ = false;
};

}  // namespace

void readXlsx(ZipPackage& package, const Options& options, SheetText& sheet) {
  const std::string& label = package.label();
  if (!package.has("xl/workbook.xml")) {
    if (package.has("EncryptionInfo"))
      throw PassFailure("The workbook " + label +
                        " is encrypted or protected by a password. Save it without a password and try again.");
    throw PassFailure("The workbook " + label + " is no Office Open XML workbook: it has no xl/workbook.xml.");
  }
  WorkbookHandler workbook;
  parsePart(package, "xl/workbook.xml", workbook);
  if (!workbook.firstSheet) throw PassFailure("The workbook " + label + " has no sheet.");

  RelationsHandler relations;
  if (package.has("xl/_rels/workbook.xml.rels")) parsePart(package, "xl/_rels/workbook.xml.rels", relations);
  const auto target = relations.targets.find(*workbook.firstSheet);
  if (target == relations.targets.end())
    throw PassFailure("The workbook " + label + " is damaged: the part of its first sheet is not named.");
  const std::string sheetPart = partOf(target->second);
  if (!package.has(sheetPart))
    throw PassFailure("The workbook " + label + " is damaged: its part " + sheetPart + " is missing.");

  StylesHandler styles;
  const std::string stylesPart = relations.styles.empty() ? "xl/styles.xml" : partOf(relations.styles);
  if (package.has(stylesPart)) parsePart(package, stylesPart, styles);

  SharedStringsHandler shared;
  const std::string stringsPart =
      relations.sharedStrings.empty() ? "xl/sharedStrings.xml" : partOf(relations.sharedStrings);
  if (package.has(stringsPart)) parsePart(package, stringsPart, shared);

  WorksheetHandler cells(label, shared.strings, styles.formats, workbook.date1904, options, sheet);
  parsePart(package, sheetPart, cells);
}

}  // namespace dm::workbook
