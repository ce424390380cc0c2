// The preview as a web page: index.html, preview.css and the media files.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <set>

#include "readback/picture_decoder.h"
#include "readback/preview.h"
#include "textio/format.h"
#include "textio/wide_line.h"

namespace dm::readback {

namespace {

constexpr const char* kStylesheet = R"CSS(/* drillmaker preview */
:root { --ink: #1d2430; --muted: #5b6575; --line: #d5dae2; --panel: #ffffff; --page: #eef1f5; --accent: #2456a6; }
* { box-sizing: border-box; }
body { margin: 0; background: var(--page); color: var(--ink);
       font-family: "Noto Sans CJK JP", "Noto Sans JP", "Hiragino Sans", "Yu Gothic", sans-serif; line-height: 1.55; }
header.top { background: var(--accent); color: #fff; padding: 0.8em 1.5em; }
header.top h1 { margin: 0; font-size: 1.4em; }
header.top p { margin: 0.2em 0 0; opacity: 0.9; font-size: 0.9em; }
.layout { display: grid; grid-template-columns: minmax(14em, 20em) 1fr; gap: 1.2em; padding: 1.2em 1.5em; align-items: start; }
nav.menu { background: var(--panel); border: 1px solid var(--line); border-radius: 6px; padding: 0.6em 0.9em; position: sticky; top: 0.6em; max-height: 95vh; overflow: auto; }
nav.menu h2 { font-size: 1em; margin: 0.2em 0 0.4em; }
nav.menu ul { list-style: none; margin: 0; padding-left: 1em; }
nav.menu > ul { padding-left: 0; }
nav.menu li { margin: 0.15em 0; }
nav.menu .category { font-weight: bold; }
nav.menu .unit { font-weight: bold; color: var(--accent); }
nav.menu .clear { color: var(--muted); font-size: 0.9em; }
main { min-width: 0; }
section.problems { background: #fdecea; border: 1px solid #e0a19a; border-radius: 6px; padding: 0.6em 1em; margin-bottom: 1em; }
section.problems h2 { margin: 0 0 0.3em; font-size: 1.05em; color: #8a1c12; }
figure.cover { margin: 0 0 1em; background: var(--panel); border: 1px solid var(--line); border-radius: 6px; padding: 0.8em; }
figure.cover figcaption { color: var(--muted); font-size: 0.85em; }
article.entry { background: var(--panel); border: 1px solid var(--line); border-radius: 6px; padding: 0.8em 1.1em; margin-bottom: 1em; }
article.entry:target, section.answer:target { outline: 3px solid #f0b429; }
.path { color: var(--muted); font-size: 0.85em; margin: 0; }
article.entry h3 { margin: 0.2em 0 0.4em; font-size: 1.15em; }
.time { float: right; color: var(--muted); font-size: 0.9em; }
.question { margin: 0.3em 0 0.6em; }
ol.choices { list-style: none; padding-left: 0.5em; margin: 0.4em 0; }
ol.choices li { margin: 0.25em 0; }
ol.choices li.right { font-weight: bold; }
.badge { font-size: 0.75em; font-weight: normal; background: #e3f2e5; color: #1f6b2c; border-radius: 3px; padding: 0 0.4em; margin-left: 0.4em; }
.warn { font-size: 0.8em; background: #fdecea; color: #8a1c12; border-radius: 3px; padding: 0 0.4em; margin-left: 0.4em; }
section.answer { border-top: 1px dashed var(--line); margin-top: 0.6em; padding-top: 0.5em; }
section.answer h4 { margin: 0 0 0.3em; font-size: 1em; color: var(--muted); }
.label { font-weight: bold; margin: 0.4em 0 0.1em; }
.lines p, p.line { margin: 0.1em 0; }
.keep { white-space: nowrap; }
.style-s { text-decoration: line-through; }
.style-gb { background: #e8ecf3; }
img.picture { display: block; margin: 0.3em 0; border: 1px solid var(--line); image-rendering: pixelated; max-width: 100%; height: auto; }
.missing { display: inline-block; border: 1px dashed #b94a48; color: #8a1c12; padding: 0.3em 0.6em; font-size: 0.85em; }
audio { display: block; margin: 0.3em 0; height: 2em; }
)CSS";

std::string escape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string escape16(std::u16string_view s) { return escape(utf16ToUtf8(std::u16string(s))); }

// The colour names the source markup knows, all of them CSS colours too.
constexpr std::array<const char*, 15> kColourNames = {"silver", "gray", "red",  "maroon", "yellow",
                                                      "olive",  "lime", "green", "aqua", "teal",
                                                      "blue",   "navy", "fuchsia", "purple", "orange"};

// The CSS colour of a device colour text ("T" name "#" or "ff" and six hex
// digits); empty when it names none.
std::string cssColour(std::u16string_view text, std::size_t& used) {
  used = 0;
  if (!text.empty() && text[0] == u'T') {
    const std::size_t end = text.find(u'#');
    if (end == std::u16string_view::npos || end > 64) return {};
    used = end + 1;
    std::string name;
    for (char16_t c : text.substr(1, end - 1)) name += c < 0x80 ? static_cast<char>(c | 0x20) : '?';
    for (const char* n : kColourNames)
      if (name.rfind(n, 0) == 0) return n;
    return {};
  }
  if (text.size() >= 8 && (text[0] == u'f' || text[0] == u'F') && (text[1] == u'f' || text[1] == u'F')) {
    std::string hex;
    for (char16_t c : text.substr(2, 6)) {
      if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'))) return {};
      hex += static_cast<char>(c);
    }
    used = 8;
    return "#" + hex;
  }
  return {};
}

struct Style {
  char16_t on;
  const char* open;
  const char* close;
};
constexpr std::array<Style, 6> kStyles = {{{0xE000, "<i>", "</i>"},
                                           {0xE002, "<b>", "</b>"},
                                           {0xE012, "<span class=\"keep\">", "</span>"},
                                           {0xE01A, "<u>", "</u>"},
                                           {0xE01C, "<span class=\"style-s\">", "</span>"},
                                           {0xE01E, "<span class=\"style-gb\">", "</span>"}}};
constexpr char16_t kColourOn = 0xE066, kColourOff = 0xE067;

struct PictureFile {
  bool ok = false;
  std::string file;
  std::uint32_t width = 0, height = 0;
  std::string problem;
};

// The state of one rendering: the files made so far.
class Renderer {
 public:
  explicit Renderer(const PreviewModel& m) : model_(m), tables_(m.fontImage, m.extBmpImage) {}

  std::map<std::string, std::string>& files() { return files_; }

  const PictureFile& picture(const std::string& id) {
    auto it = pictures_.find(id);
    if (it != pictures_.end()) return it->second;
    PictureFile p;
    std::optional<Raster> r = tables_.decode(id, p.problem);
    if (r) {
      std::string png = encodePng(*r);
      if (png.empty()) {
        p.problem = "the picture could not be written as PNG";
      } else {
        p.ok = true;
        p.file = "media/picture-" + id + ".png";
        p.width = r->width;
        p.height = r->height;
        files_[p.file] = std::move(png);
      }
    }
    return pictures_.emplace(id, std::move(p)).first->second;
  }

  std::string pictureHtml(const std::string& id) {
    const PictureFile& p = picture(id);
    if (!p.ok)
      return "<span class=\"missing\">picture " + escape(id) + ": " + escape(p.problem) + "</span>";
    return formatted("<img class=\"picture\" src=\"%s\" width=\"%u\" height=\"%u\" alt=\"picture %s\">", p.file.c_str(),
                     p.width, p.height, escape(id).c_str());
  }

  std::string soundHtml(const std::string& id) {
    std::uint32_t number = 0;
    bool valid = id.size() == 8;
    for (char c : id) {
      const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (d < 0) valid = false;
      else number = number * 16 + static_cast<std::uint32_t>(d);
    }
    auto it = valid ? model_.sounds.find(number) : model_.sounds.end();
    if (it == model_.sounds.end())
      return "<span class=\"missing\">sound " + escape(id) + ": not in the container</span>";
    const std::string file = "media/sound-" + id + ".mp3";
    if (!files_.count(file)) files_[file] = std::string(it->second);
    return "<audio controls preload=\"none\" src=\"" + file + "\" title=\"sound " + id + "\"></audio>";
  }

  // One line of device text as HTML: styles and colours as elements,
  // pictures, sounds and font glyphs in place, the jump address left out.
  std::string line(std::u16string_view text) {
    std::string out;
    Open open;  // the open elements, innermost last
    std::u16string run;
    auto flush = [&] {
      out += escape16(run);
      run.clear();
    };
    // Closes the element `code` opened and every one inside it, then
    // reopens those inside it.
    auto closeTo = [&](char16_t code) {
      auto at = std::find(open.codes.rbegin(), open.codes.rend(), code);
      if (at == open.codes.rend()) return;
      const std::size_t pos = open.codes.size() - 1 - static_cast<std::size_t>(at - open.codes.rbegin());
      for (std::size_t k = open.codes.size(); k-- > pos;) out += open.closers[k];
      Open above;
      for (std::size_t k = pos + 1; k < open.codes.size(); ++k)
        above.push(open.codes[k], open.openers[k], open.closers[k]);
      open.resize(pos);
      for (std::size_t k = 0; k < above.codes.size(); ++k) {
        out += above.openers[k];
        open.push(above.codes[k], above.openers[k], above.closers[k]);
      }
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char16_t c = text[i];
      if (c == 0xE05E || c == 0xE062) {  // a picture or a sound id
        const std::size_t end = text.find(c == 0xE05E ? char16_t(0xE05F) : char16_t(0xE063), i + 1);
        if (end != std::u16string_view::npos) {
          flush();
          std::string id;
          for (char16_t d : text.substr(i + 1, end - i - 1)) {
            if (d == 0xE0FE) break;  // the sound mark follows the id
            id += d < 0x80 ? static_cast<char>(d) : '?';
          }
          out += c == 0xE05E ? pictureHtml(id) : soundHtml(id);
          i = end;
          continue;
        }
      }
      if (c == 0xE0FE && i + 2 < text.size() && text[i + 2] == 0xE0FF) {  // one glyph of the device font
        flush();
        const char16_t glyph = text[i + 1];
        if (glyph >= 0xF820 && glyph <= 0xF829)
          out += "(" + std::to_string(glyph == 0xF820 ? 10 : glyph - 0xF820) + ")";
        else if (glyph == 0xF9DD)
          out += "&#x1F50A;";
        else
          out += formatted("<span class=\"missing\">glyph %04X</span>", static_cast<unsigned>(glyph));
        i += 2;
        continue;
      }
      if (c == 0xE054) continue;  // the jump label begins
      if (c == 0xE055) {          // the jump label ends; its address follows
        std::size_t k = 0;
        while (k < 12 && i + 1 < text.size() && text[i + 1] < 0x80 && std::isxdigit(static_cast<int>(text[i + 1]))) {
          ++i;
          ++k;
        }
        continue;
      }
      if (c == kColourOn) {
        flush();
        std::size_t used = 0;
        const std::string colour = cssColour(text.substr(i + 1), used);
        i += used;
        const std::string opener = colour.empty() ? "<span>" : "<span style=\"color:" + colour + "\">";
        out += opener;
        open.push(kColourOn, opener, "</span>");
        continue;
      }
      if (c == kColourOff) {
        flush();
        closeTo(kColourOn);
        continue;
      }
      bool styled = false;
      for (const Style& s : kStyles) {
        if (c == s.on) {
          flush();
          out += s.open;
          open.push(c, s.open, s.close);
          styled = true;
        } else if (c == s.on + 1) {
          flush();
          closeTo(s.on);
          styled = true;
        }
      }
      if (styled) continue;
      if (c >= 0xE000 && c <= 0xF8FF) {  // a device code this page does not show
        flush();
        out += formatted("<span class=\"missing\">code %04X</span>", static_cast<unsigned>(c));
        continue;
      }
      run.push_back(c);
    }
    flush();
    for (std::size_t k = open.closers.size(); k-- > 0;) out += open.closers[k];
    return out;
  }

  std::string lines(const std::vector<std::u16string>& ls) {
    std::string out;
    for (const std::u16string& l : ls) out += "<p class=\"line\">" + (l.empty() ? std::string("&nbsp;") : line(l)) + "</p>\n";
    return out;
  }

 private:
  struct Open {
    std::vector<char16_t> codes;  // the on code (the colour code for a colour)
    std::vector<std::string> openers, closers;
    void push(char16_t code, std::string opener, std::string closer) {
      codes.push_back(code);
      openers.push_back(std::move(opener));
      closers.push_back(std::move(closer));
    }
    void resize(std::size_t n) {
      codes.resize(n);
      openers.resize(n);
      closers.resize(n);
    }
  };

  const PreviewModel& model_;
  PictureTables tables_;
  std::map<std::string, std::string> files_;
  std::map<std::string, PictureFile> pictures_;
};

void menuHtml(const PreviewMenuNode& node, Renderer& r, std::string& out) {
  for (const PreviewMenuNode& c : node.children) {
    out += "<li>";
    const std::string caption = c.caption.empty() ? std::string("&nbsp;") : r.line(c.caption);
    if (c.type == 0 && c.entry >= 0) {
      out += "<a href=\"#e" + std::to_string(c.entry) + "\">" + caption + "</a>";
    } else if (c.type == 5) {
      out += "<span class=\"clear\">" + caption + "</span>";
    } else {
      out += std::string("<span class=\"") + (c.type == 3 ? "unit" : "category") + "\">" + caption + "</span>";
    }
    if (!c.children.empty()) {
      out += "\n<ul>\n";
      menuHtml(c, r, out);
      out += "</ul>\n";
    }
    out += "</li>\n";
  }
}

std::string entryHtml(const PreviewModel& m, const PreviewEntry& e, Renderer& r) {
  const std::string id = "e" + std::to_string(e.number);
  std::string out = "<article class=\"entry\" id=\"" + id + "\">\n";
  if (!e.categories.empty()) {
    out += "<p class=\"path\">";
    for (std::size_t k = 0; k < e.categories.size(); ++k) out += (k ? " › " : "") + r.line(e.categories[k]);
    out += "</p>\n";
  }
  if (!e.isQuestion) {
    const bool howTo = m.report.description.hasHowToUse && m.report.description.howToUseEntry == e.number;
    out += "<h3>" + std::string(howTo ? "How to use" : "Entry " + std::to_string(e.number)) + "</h3>\n";
    out += "<div class=\"lines\">\n" + r.lines(e.other) + "</div>\n</article>\n";
    return out;
  }
  out += "<h3>" + r.line(e.heading);
  if (!e.timeLimit.empty()) out += " <span class=\"time\">time limit " + escape16(e.timeLimit) + "</span>";
  out += "</h3>\n<div class=\"question lines\">\n" + r.lines(e.question) + "</div>\n<ol class=\"choices\">\n";
  const int right = e.rightChoice();
  for (std::size_t k = 0; k < e.choices.size(); ++k) {
    const PreviewChoice& c = e.choices[k];
    const bool isRight = static_cast<int>(k) + 1 == right;
    out += isRight ? "<li class=\"right\">" : "<li>";
    const std::string first = c.lines.empty() ? std::string() : r.line(c.lines.front());
    if (c.hasJump && c.targetEntry < m.entries.size())
      out += "<a href=\"#e" + std::to_string(c.targetEntry) + "-answer\">" + first + "</a>";
    else
      out += first;
    for (std::size_t l = 1; l < c.lines.size(); ++l) out += "<br>" + r.line(c.lines[l]);
    if (isRight) out += "<span class=\"badge\">right answer</span>";
    if (!c.hasJump)
      out += "<span class=\"warn\">no jump address</span>";
    else if (!c.landsOnAnswer)
      out += formatted("<span class=\"warn\">the jump address %08x %04x lands on no answer page</span>", c.targetEntry,
                       c.targetLine);
    out += "</li>\n";
  }
  out += "</ol>\n";
  if (right == 0) out += "<p><span class=\"warn\">the right answer number " + escape16(e.rightAnswer) + " names no choice</span></p>\n";
  out += "<section class=\"answer\" id=\"" + id + "-answer\">\n";
  out += "<h4>answer page: " + r.line(e.answerHeading) + "</h4>\n";
  if (!e.answerLabel.empty()) out += "<p class=\"label\">" + r.line(e.answerLabel) + "</p>\n";
  out += "<div class=\"lines\">\n" + r.lines(e.answer) + "</div>\n";
  if (!e.commentLabel.empty() || !e.comment.empty()) {
    out += "<p class=\"label\">" + r.line(e.commentLabel) + "</p>\n";
    out += "<div class=\"lines\">\n" + r.lines(e.comment) + "</div>\n";
  }
  out += "</section>\n</article>\n";
  return out;
}

}  // namespace

std::map<std::string, std::string> renderPreview(const PreviewModel& m) {
  Renderer r(m);
  const Description& d = m.report.description;
  std::size_t questions = 0;
  for (const PreviewEntry& e : m.entries) questions += e.isQuestion ? 1 : 0;

  std::string html = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                     "<title>" + escape(m.name) + " — preview</title>\n"
                     "<link rel=\"stylesheet\" href=\"preview.css\">\n</head>\n<body>\n";
  html += "<header class=\"top\">\n<h1>" + escape(m.name) + "</h1>\n<p>";
  html += std::to_string(questions) + (questions == 1 ? " question" : " questions");
  if (!d.buildDate.empty()) html += " · built " + escape(d.buildDate);
  if (!d.menuLocation.empty()) html += " · menu location " + escape(d.menuLocation);
  html += "</p>\n</header>\n<div class=\"layout\">\n<nav class=\"menu\">\n<h2>Menu</h2>\n<ul>\n";
  std::string menu;
  menuHtml(m.menu, r, menu);
  if (menu.empty())
    for (const PreviewEntry& e : m.entries)
      menu += "<li><a href=\"#e" + std::to_string(e.number) + "\">" +
              (e.isQuestion ? r.line(e.heading) : "entry " + std::to_string(e.number)) + "</a></li>\n";
  html += menu + "</ul>\n</nav>\n<main>\n";
  const std::vector<std::string> failed = m.failedChecks();
  if (!failed.empty()) {
    html += "<section class=\"problems\">\n<h2>This container failed " + std::to_string(failed.size()) +
            (failed.size() == 1 ? " check" : " checks") + "; it is shown as far as it decodes</h2>\n<ul>\n";
    for (const std::string& f : failed) html += "<li>" + escape(f) + "</li>\n";
    html += "</ul>\n</section>\n";
  }
  PictureTables tables(m.fontImage, m.extBmpImage);
  if (tables.hasColour(0)) {
    std::string problem;
    std::optional<Raster> cover = tables.decodeColour(0, problem);
    std::string png = cover ? encodePng(*cover) : std::string();
    html += "<figure class=\"cover\">\n";
    if (!png.empty()) {
      html += formatted("<img class=\"picture\" src=\"media/cover.png\" width=\"%u\" height=\"%u\" alt=\"cover picture\">\n",
                        cover->width, cover->height);
      r.files()["media/cover.png"] = std::move(png);
    } else {
      html += "<span class=\"missing\">cover picture: " + escape(problem.empty() ? "not written" : problem) + "</span>\n";
    }
    html += "<figcaption>cover picture</figcaption>\n</figure>\n";
  }
  for (const PreviewEntry& e : m.entries) html += entryHtml(m, e, r);
  if (m.entries.empty()) html += "<p>No entry of this container decodes.</p>\n";
  html += "</main>\n</div>\n</body>\n</html>\n";
  std::map<std::string, std::string> files = std::move(r.files());
  files["index.html"] = std::move(html);
  files["preview.css"] = kStylesheet;
  return files;
}

}  // namespace dm::readback
