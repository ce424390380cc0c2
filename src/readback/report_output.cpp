#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <ostream>

#include "readback/container_file.h"
#include "readback/json_text.h"
#include "readback/readback.h"
#include "textio/format.h"

namespace dm::readback {

std::string jsonString(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          out += formatted("\\u%04x", c);
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

namespace {

std::string coverText(std::uint8_t flags) {
  switch (flags) {
    case 0: return "none";
    case 0x01: return "monochrome";
    case 0x20: return "colour";
    default: return "flags " + std::to_string(flags);
  }
}

}  // namespace

void printText(const Report& report, std::ostream& out) {
  for (const Check& c : report.checks)
    out << (c.ok ? "ok     " : "FAILED ") << c.name << ": " << c.detail << '\n';
  const Description& d = report.description;
  out << "\nbuild date:     " << d.buildDate << '\n'
      << "menu location:  " << (d.menuLocation.empty() ? "(none)" : d.menuLocation) << '\n'
      << "how-to-use:     " << (d.hasHowToUse ? "entry " + std::to_string(d.howToUseEntry) : std::string("none"))
      << '\n'
      << "entries:        " << d.entries << '\n'
      << "pictures:       " << d.pictures << '\n'
      << "sounds:         " << d.sounds << (d.soundFlag ? "" : " (no sound image)") << '\n'
      << "cover picture:  " << coverText(d.coverFlags) << '\n'
      << "GUID:           " << d.guid << '\n'
      << "components:\n";
  for (const Component& c : d.components) {
    out << formatted("  %-14s slot %2d  offset %10u  size %10u\n", c.name.c_str(), c.slot, c.offset, c.size);
  }
  for (std::size_t i = 0; i < report.entries.size(); ++i) {
    out << "\nentry " << i << ":";
    for (std::size_t k = 0; k < report.entries[i].categories.size(); ++k)
      out << (k ? " > " : " ") << report.entries[i].categories[k];
    out << '\n';
    for (const std::string& line : report.entries[i].lines) out << "  " << line << '\n';
  }
  std::size_t failed = 0;
  for (const Check& c : report.checks) failed += c.ok ? 0 : 1;
  if (failed == 0) {
    out << "\nall " << report.checks.size() << " checks hold\n";
  } else {
    out << '\n' << failed << " of " << report.checks.size() << " checks failed:";
    for (const Check& c : report.checks)
      if (!c.ok) out << ' ' << c.name << ';';
    out << '\n';
  }
}

void printJson(const Report& report, std::ostream& out) {
  const Description& d = report.description;
  out << "{\n  \"ok\": " << (report.allOk() ? "true" : "false") << ",\n  \"checks\": [";
  for (std::size_t i = 0; i < report.checks.size(); ++i) {
    const Check& c = report.checks[i];
    out << (i ? ",\n" : "\n") << "    {\"name\": " << jsonString(c.name) << ", \"ok\": " << (c.ok ? "true" : "false")
        << ", \"detail\": " << jsonString(c.detail) << "}";
  }
  out << "\n  ],\n  \"buildDate\": " << jsonString(d.buildDate) << ",\n  \"menuLocation\": "
      << jsonString(d.menuLocation) << ",\n  \"howToUseEntry\": "
      << (d.hasHowToUse ? std::to_string(d.howToUseEntry) : std::string("null")) << ",\n  \"entries\": " << d.entries
      << ",\n  \"pictures\": " << d.pictures << ",\n  \"sounds\": " << d.sounds << ",\n  \"coverPicture\": "
      << jsonString(coverText(d.coverFlags)) << ",\n  \"guid\": " << jsonString(d.guid) << ",\n  \"components\": [";
  for (std::size_t i = 0; i < d.components.size(); ++i) {
    const Component& c = d.components[i];
    out << (i ? ",\n" : "\n") << "    {\"name\": " << jsonString(c.name) << ", \"slot\": " << c.slot
        << ", \"offset\": " << c.offset << ", \"size\": " << c.size << "}";
  }
  out << "\n  ],\n  \"entries\": [";
  for (std::size_t i = 0; i < report.entries.size(); ++i) {
    out << (i ? ",\n" : "\n") << "    {\"categories\": [";
    const auto& categories = report.entries[i].categories;
    for (std::size_t k = 0; k < categories.size(); ++k) out << (k ? ", " : "") << jsonString(categories[k]);
    out << "], \"lines\": [";
    const auto& lines = report.entries[i].lines;
    for (std::size_t k = 0; k < lines.size(); ++k) out << (k ? ", " : "") << jsonString(lines[k]);
    out << "]}";
  }
  out << "\n  ]\n}\n";
}

std::string inspectUsageText() {
  return "Usage: drillmaker inspect FILE.drl [--entries] [--json]\n"
         "\n"
         "Verifies a built drill and describes it: every integrity value and the\n"
         "layout of each component, then the build date, the menu location, the\n"
         "numbers of entries, pictures and sounds, the GUID and the components.\n"
         "\n"
         "  --entries    also decode and show the text of every entry\n"
         "  --json       write the report as JSON\n"
         "  -h, --help   show this text\n"
         "\n"
         "Exit status: 0 every check holds, 1 a check failed or FILE is not a\n"
         "drill container, 2 a usage error or a file that cannot be read.\n";
}

int runInspect(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  for (const std::string& a : args) {
    if (a == "-h" || a == "--help") {
      out << inspectUsageText();
      return 0;
    }
  }
  bool json = false, entries = false;
  std::string path;
  for (const std::string& a : args) {
    if (a == "--json") {
      json = true;
    } else if (a == "--entries") {
      entries = true;
    } else if (path.empty() && (a.empty() || a[0] != '-')) {
      path = a;
    } else {
      err << "drillmaker inspect: unexpected argument " << a << "\nUsage: drillmaker inspect FILE.drl [--entries] [--json]\n";
      return 2;
    }
  }
  if (path.empty()) {
    err << "Usage: drillmaker inspect FILE.drl [--entries] [--json]\n";
    return 2;
  }
  std::string problem;
  const std::unique_ptr<ContainerFile> file = ContainerFile::open(path, problem);
  if (!file) {
    err << "drillmaker inspect: " << problem << '\n';
    return 2;
  }
  Report report;
  try {
    report = inspectContainer(*file, entries);
  } catch (const std::bad_alloc&) {
    err << "drillmaker inspect: too little memory to inspect " << path << '\n';
    return 2;
  } catch (const std::exception& e) {
    err << "drillmaker inspect: " << e.what() << '\n';
    return 2;
  }
  if (!report.notAContainer.empty()) {
    err << "drillmaker: " << path << " is not a drill container (" << report.notAContainer << ")\n";
    return 1;
  }
  if (json) {
    printJson(report, out);
  } else {
    printText(report, out);
  }
  return report.allOk() ? 0 : 1;
}

}  // namespace dm::readback
