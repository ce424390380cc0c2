// Writing the preview folder, its JSON form and `drillmaker preview`.
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <ostream>
#include <sstream>
#include <system_error>

#include "readback/container_file.h"
#include "readback/entry_decoder.h"
#include "readback/json_text.h"
#include "readback/preview.h"
#include "textio/wide_line.h"

namespace dm::readback {

namespace {

namespace fs = std::filesystem;

std::string text(const std::u16string& s) { return jsonString(readableText(s)); }

std::string textList(const std::vector<std::u16string>& lines) {
  std::string out = "[";
  for (std::size_t k = 0; k < lines.size(); ++k) out += (k ? ", " : "") + text(lines[k]);
  return out + "]";
}

void menuJson(const PreviewMenuNode& node, std::ostream& out, int indent) {
  const std::string pad(static_cast<std::size_t>(indent), ' ');
  out << "{\"caption\": " << text(node.caption) << ", \"type\": " << node.type;
  if (node.type == 0) out << ", \"entry\": " << node.entry;
  if (!node.children.empty()) {
    out << ", \"children\": [";
    for (std::size_t k = 0; k < node.children.size(); ++k) {
      out << (k ? ",\n" : "\n") << pad << "  ";
      menuJson(node.children[k], out, indent + 2);
    }
    out << "]";
  }
  out << "}";
}

// Reads the whole container; empty with `problem` set when it cannot.
bool readContainer(const std::string& path, std::string& bytes, std::string& problem) {
  const std::unique_ptr<ContainerFile> file = ContainerFile::open(path, problem);
  if (!file) return false;
  try {
    bytes.resize(static_cast<std::size_t>(file->size()));
    if (!bytes.empty()) file->read(0, bytes.size(), bytes.data());
  } catch (const std::bad_alloc&) {
    problem = "too little memory to read " + path;
    return false;
  } catch (const std::exception& e) {
    problem = e.what();
    return false;
  }
  return true;
}

bool writeFile(const fs::path& path, const std::string& bytes, std::string& problem) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    problem = "cannot write " + path.string() + (ec ? ": " + ec.message() : std::string());
    return false;
  }
  return true;
}

}  // namespace

void printPreviewJson(const PreviewModel& m, std::ostream& out) {
  out << "{\n  \"file\": " << jsonString(m.name) << ",\n  \"checksHold\": "
      << (m.failedChecks().empty() ? "true" : "false") << ",\n  \"failedChecks\": [";
  const std::vector<std::string> failed = m.failedChecks();
  for (std::size_t k = 0; k < failed.size(); ++k) out << (k ? ", " : "") << jsonString(failed[k]);
  out << "],\n  \"menu\": ";
  menuJson(m.menu, out, 2);
  out << ",\n  \"entries\": [";
  for (std::size_t n = 0; n < m.entries.size(); ++n) {
    const PreviewEntry& e = m.entries[n];
    out << (n ? ",\n" : "\n") << "    {\"entry\": " << e.number << ", \"question\": " << (e.isQuestion ? "true" : "false")
        << ", \"categories\": " << textList(e.categories);
    if (!e.isQuestion) {
      out << ", \"lines\": " << textList(e.other) << "}";
      continue;
    }
    out << ",\n     \"heading\": " << text(e.heading) << ", \"timeLimit\": " << text(e.timeLimit)
        << ",\n     \"questionLines\": " << textList(e.question) << ",\n     \"rightChoice\": " << e.rightChoice()
        << ", \"choices\": [";
    for (std::size_t k = 0; k < e.choices.size(); ++k) {
      const PreviewChoice& c = e.choices[k];
      out << (k ? ",\n" : "\n") << "       {\"lines\": " << textList(c.lines);
      if (c.hasJump)
        out << ", \"jumpEntry\": " << c.targetEntry << ", \"jumpLine\": " << c.targetLine
            << ", \"landsOnAnswer\": " << (c.landsOnAnswer ? "true" : "false");
      out << "}";
    }
    out << "],\n     \"answerHeading\": " << text(e.answerHeading) << ", \"answerLabel\": " << text(e.answerLabel)
        << ",\n     \"answerLines\": " << textList(e.answer) << ",\n     \"commentLabel\": " << text(e.commentLabel)
        << ", \"commentLines\": " << textList(e.comment) << "}";
  }
  out << "\n  ],\n  \"sounds\": [";
  std::size_t k = 0;
  for (const auto& [number, data] : m.sounds)
    out << (k++ ? ", " : "") << "{\"number\": " << number << ", \"bytes\": " << data.size() << "}";
  out << "]\n}\n";
}

std::string defaultPreviewFolder(const std::string& containerPath) {
  const fs::path p(containerPath);
  return (p.parent_path() / (p.stem().string() + "-preview")).string();
}

PreviewResult writePreview(const std::string& containerPath, const std::string& outFolder,
                           const PreviewOptions& options) {
  PreviewResult result;
  result.folder = outFolder;
  std::string bytes;
  if (!readContainer(containerPath, bytes, result.problem)) return result;
  try {
    const PreviewModel model = buildPreview(bytes, fs::path(containerPath).filename().string());
    result.failedChecks = model.failedChecks();
    if (!model.report.notAContainer.empty()) {
      result.problem = containerPath + " is not a drill container (" + model.report.notAContainer + ")";
      return result;
    }
    std::map<std::string, std::string> files = renderPreview(model);
    if (options.json) {
      std::ostringstream json;
      printPreviewJson(model, json);
      files["preview.json"] = json.str();
    }
    std::error_code ec;
    const fs::path folder(outFolder);
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
      result.problem = "cannot make the folder " + outFolder + (ec ? ": " + ec.message() : std::string());
      return result;
    }
    for (const auto& [name, data] : files) {
      if (!writeFile(folder / name, data, result.problem)) return result;
      if (name.rfind("media/picture-", 0) == 0 || name == "media/cover.png") ++result.pictures;
      if (name.rfind("media/sound-", 0) == 0) ++result.sounds;
    }
    for (const PreviewEntry& e : model.entries) result.questions += e.isQuestion ? 1 : 0;
    result.written = true;
  } catch (const std::bad_alloc&) {
    result.problem = "too little memory to preview " + containerPath;
  }
  return result;
}

std::string previewUsageText() {
  return "Usage: drillmaker preview FILE.drl [-o FOLDER] [--json]\n"
         "Writes the drill as a web page: every question with its choices, answer\n"
         "page, pictures and sounds, decoded from the container itself. Open\n"
         "FOLDER/index.html in any browser; it needs no network and no script.\n"
         "\n"
         "  -o FOLDER    write into FOLDER (default: NAME-preview beside the file)\n"
         "  --json       write the same content as JSON on standard output instead\n"
         "  -h, --help   show this text\n"
         "\n"
         "Exits with 0 when every check of the container holds, 1 when one does\n"
         "not (the preview is still written, the failed checks at its top) or the\n"
         "file is no drill container, 2 when the file cannot be read, the folder\n"
         "cannot be written or the command line is wrong.\n";
}

int runPreview(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const char* usage = "Usage: drillmaker preview FILE.drl [-o FOLDER] [--json]\n";
  for (const std::string& a : args) {
    if (a == "-h" || a == "--help") {
      out << previewUsageText();
      return 0;
    }
  }
  bool json = false;
  std::string path, folder;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      json = true;
    } else if (a == "-o" || a == "--output") {
      if (i + 1 >= args.size() || !folder.empty()) {
        err << "drillmaker preview: " << a << " needs one FOLDER\n" << usage;
        return 2;
      }
      folder = args[++i];
    } else if (path.empty() && (a.empty() || a[0] != '-')) {
      path = a;
    } else {
      err << "drillmaker preview: unexpected argument " << a << '\n' << usage;
      return 2;
    }
  }
  if (path.empty()) {
    err << usage;
    return 2;
  }
  if (json) {
    std::string bytes, problem;
    if (!readContainer(path, bytes, problem)) {
      err << "drillmaker preview: " << problem << '\n';
      return 2;
    }
    const PreviewModel model = buildPreview(bytes, fs::path(path).filename().string());
    if (!model.report.notAContainer.empty()) {
      err << "drillmaker: " << path << " is not a drill container (" << model.report.notAContainer << ")\n";
      return 1;
    }
    printPreviewJson(model, out);
    return model.failedChecks().empty() ? 0 : 1;
  }
  if (folder.empty()) folder = defaultPreviewFolder(path);
  const PreviewResult r = writePreview(path, folder);
  if (!r.written) {
    const bool noContainer = r.problem.find("is not a drill container") != std::string::npos;
    err << (noContainer ? "drillmaker: " : "drillmaker preview: ") << r.problem << '\n';
    return noContainer ? 1 : 2;
  }
  for (const std::string& f : r.failedChecks) err << "drillmaker: failed check: " << f << '\n';
  out << (fs::path(r.folder) / "index.html").string() << ": " << r.questions
      << (r.questions == 1 ? " question, " : " questions, ") << r.pictures
      << (r.pictures == 1 ? " picture, " : " pictures, ") << r.sounds << (r.sounds == 1 ? " sound" : " sounds")
      << (r.failedChecks.empty() ? "" : ", " + std::to_string(r.failedChecks.size()) + " failed checks") << '\n';
  return r.failedChecks.empty() ? 0 : 1;
}

}  // namespace dm::readback
