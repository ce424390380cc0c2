// The first table of an OpenDocument spreadsheet (content.xml). Each cell's
// paragraphs hold the text the spreadsheet shows for it, already formatted;
// repeated rows and cells are counted, not expanded, until text follows.
// A <text:tab/> in a cell adds nothing: the spreadsheet program drops it
// when it loads the file, so its export has none.
#include <charconv>
#include <cstring>
#include <map>
#include <vector>

#include "platform/failure.h"
#include "workbook/readers.h"
#include "workbook/styled_run.h"
#include "workbook/xml_stream.h"

namespace dm::workbook {

namespace {

// Columns past this one are not read (the widest sheet a spreadsheet makes).
constexpr std::uint32_t kMaxColumns = 16384;

std::uint64_t count(const char* text) {
  if (!text) return 1;
  std::uint64_t value = 0;
  auto [ptr, ec] = std::from_chars(text, text + std::strlen(text), value);
  return ec == std::errc() && value > 0 ? value : 1;
}

// Reads the features of <style:text-properties>.
void textProperties(const char** attributes, RunStyle& style) {
  if (const char* weight = attribute(attributes, "font-weight"))
    style.bold = std::string_view(weight) == "bold" || std::atoi(weight) >= 600;
  if (const char* slant = attribute(attributes, "font-style"))
    style.italic = std::string_view(slant) == "italic" || std::string_view(slant) == "oblique";
  if (const char* line = attribute(attributes, "text-underline-style"))
    style.underline = std::string_view(line) != "none";
  if (const char* colour = attribute(attributes, "color")) style.colour = colourCode(colour);
}

class ContentHandler : public XmlHandler {
 public:
  ContentHandler(const Options& options, SheetText& sheet) : options_(options), sheet_(sheet) {}

  bool sawTable = false;

  void start(std::string_view name, const char** attributes) override {
    if (skipping_) {
      ++skipping_;
      return;
    }
    if (name == "automatic-styles") inStyles_ = true;
    if (inStyles_) {
      if (name == "style") {
        const char* styleName = attribute(attributes, "name");
        currentStyle_ = styleName ? styleName : "";
        styles_[currentStyle_] = RunStyle{};
      } else if (name == "text-properties" && !currentStyle_.empty()) {
        textProperties(attributes, styles_[currentStyle_]);
      }
      return;
    }
    if (name == "table") {
      ++tableDepth_;
      if (tableDepth_ == 1 && tablesSeen_++ == 0) {
        inFirst_ = true;
        sawTable = true;
      }
      return;
    }
    if (!inFirst_ || tableDepth_ != 1) return;
    if (name == "table-column") {
      // The default cell style of columns whose cells name none.
      const char* styleName = attribute(attributes, "default-cell-style-name");
      const std::uint64_t columns = count(attribute(attributes, "number-columns-repeated"));
      for (std::uint64_t k = 0; k < columns && columnStyles_.size() < kMaxColumns; ++k)
        columnStyles_.emplace_back(styleName ? styleName : "");
    } else if (name == "table-row") {
      rowRepeat_ = count(attribute(attributes, "number-rows-repeated"));
      rowCells_.clear();
      column_ = 0;
    } else if (name == "table-cell" || name == "covered-table-cell") {
      inCell_ = true;
      cellRepeat_ = count(attribute(attributes, "number-columns-repeated"));
      const char* styleName = attribute(attributes, "style-name");
      if (!styleName && column_ < columnStyles_.size() && !columnStyles_[column_].empty())
        styleName = columnStyles_[column_].c_str();
      cellStyle_ = styleOf(styleName);
      runs_.clear();
      paragraphs_ = 0;
    } else if (inCell_ && (name == "annotation" || name == "frame" || name == "custom-shape" || name == "note")) {
      skipping_ = 1;
    } else if (inCell_ && name == "p") {
      if (paragraphs_++ > 0) append("\n");
      spanStyles_.assign(1, cellStyle_);
      inParagraph_ = true;
    } else if (inParagraph_) {
      if (name == "span") {
        const char* styleName = attribute(attributes, "style-name");
        spanStyles_.push_back(styleName ? styleOf(styleName, spanStyles_.back()) : spanStyles_.back());
      } else if (name == "s") {
        append(std::string(std::min<std::uint64_t>(count(attribute(attributes, "c")), 1024), ' '));
      } else if (name == "line-break") {
        append("\n");
      }
    }
  }

  void end(std::string_view name) override {
    if (skipping_) {
      --skipping_;
      return;
    }
    if (name == "automatic-styles") {
      inStyles_ = false;
      return;
    }
    if (inStyles_) {
      if (name == "style") currentStyle_.clear();
      return;
    }
    if (name == "table") {
      if (tableDepth_ == 1 && inFirst_) inFirst_ = false;
      --tableDepth_;
      return;
    }
    if (!inFirst_ || tableDepth_ != 1) return;
    if (inParagraph_ && name == "span" && spanStyles_.size() > 1) {
      spanStyles_.pop_back();
    } else if (name == "p" && inParagraph_) {
      inParagraph_ = false;
    } else if ((name == "table-cell" || name == "covered-table-cell") && inCell_) {
      inCell_ = false;
      const std::string text = options_.cellStyles ? markedText(runs_) : plainText(runs_);
      for (std::uint64_t k = 0; k < cellRepeat_ && column_ < kMaxColumns; ++k) {
        ++column_;
        if (!text.empty()) rowCells_.emplace_back(column_, text);
      }
    } else if (name == "table-row") {
      if (rowCells_.empty()) {
        row_ += rowRepeat_;
      } else {
        for (std::uint64_t k = 0; k < rowRepeat_; ++k) {
          ++row_;
          for (const auto& [column, text] : rowCells_)
            sheet_.cell(static_cast<std::uint32_t>(std::min<std::uint64_t>(row_, 0xFFFFFFFF)), column, text);
        }
      }
    }
  }

  void text(std::string_view utf8) override {
    if (!skipping_ && inParagraph_) append(utf8);
  }

 private:
  RunStyle styleOf(const char* styleName, const RunStyle& fallback = RunStyle{}) const {
    if (!styleName) return fallback;
    const auto found = styles_.find(styleName);
    return found != styles_.end() ? found->second : fallback;
  }

  void append(std::string_view utf8) {
    const RunStyle& style = spanStyles_.empty() ? cellStyle_ : spanStyles_.back();
    if (runs_.empty() || !(runs_.back().style == style)) runs_.push_back(StyledRun{"", style});
    runs_.back().text += utf8;
  }

  const Options& options_;
  SheetText& sheet_;
  std::map<std::string, RunStyle, std::less<>> styles_;
  std::string currentStyle_;
  bool inStyles_ = false;
  int tableDepth_ = 0;
  int tablesSeen_ = 0;
  bool inFirst_ = false;
  int skipping_ = 0;
  std::uint64_t row_ = 0;
  std::uint64_t rowRepeat_ = 1;
  std::uint32_t column_ = 0;
  std::vector<std::pair<std::uint32_t, std::string>> rowCells_;
  std::vector<std::string> columnStyles_;
  bool inCell_ = false;
  std::uint64_t cellRepeat_ = 1;
  RunStyle cellStyle_;
  std::vector<RunStyle> spanStyles_;
  std::vector<StyledRun> runs_;
  int paragraphs_ = 0;
  bool inParagraph_ = false;
};

}  // namespace

void readOds(ZipPackage& package, const Options& options, SheetText& sheet) {
  const std::string& label = package.label();
  if (package.has("META-INF/manifest.xml") &&
      package.readAll("META-INF/manifest.xml").find("encryption-data") != std::string::npos)
    throw PassFailure("The workbook " + label +
                      " is encrypted or protected by a password. Save it without a password and try again.");
  if (package.has("mimetype")) {
    const std::string type = package.readAll("mimetype");
    if (type.find("opendocument.spreadsheet") == std::string::npos)
      throw PassFailure("The workbook " + label + " is no OpenDocument spreadsheet (it holds " + type.substr(0, 80) +
                        ").");
  }
  if (!package.has("content.xml"))
    throw PassFailure("The workbook " + label + " is damaged: its part content.xml is missing.");
  ContentHandler content(options, sheet);
  parsePart(package, "content.xml", content);
  if (!content.sawTable) throw PassFailure("The workbook " + label + " has no sheet.");
}

}  // namespace dm::workbook
