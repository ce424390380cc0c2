#include "driver/batch.h"

#include <getopt.h>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <string_view>

#include "driver/batch_console.h"
#include "driver/delivery.h"
#include "driver/file_list.h"
#include "driver/interruption.h"
#include "driver/passes.h"
#include "driver/phase_contexts.h"
#include "driver/prebuild.h"
#include "driver/status_text.h"
#include "driver/work_tree.h"
#include "intake/intake.h"
#include "platform/platform.h"

namespace dm {

namespace {

// Batch mode never asks: the first listed file of a name stays.
class KeepFirst : public ReplaceConfirmer {
 public:
  explicit KeepFirst(BatchConsole& console) : console_(console) {}
  bool confirmReplace(const fs::path& newPath, const fs::path& listedPath) override {
    console_.say("drillmaker: skipped " + newPath.string() + ": a file of the same name is listed (" +
                 listedPath.string() + ")");
    return false;
  }

 private:
  BatchConsole& console_;
};

// The status messages of a run, each framed by what it ended.
class PrintStatus : public StatusObserver {
 public:
  explicit PrintStatus(BatchConsole& console) : console_(console) {}
  void onStatus(int code, const std::string& text) override {
    lastCode_ = code;
    if (code == status::kPassFailed) {
      console_.say("drillmaker: the build failed: " + text);
      return;
    }
    std::string s = statusText(code);
    if (!s.empty()) console_.say("drillmaker: the check failed: " + s);
  }
  int lastCode() const { return lastCode_; }

 private:
  BatchConsole& console_;
  int lastCode_ = 0;
};

// The build's warnings, after the run.
void printWarnings(const RunState& state, BatchConsole& console) {
  for (const std::string& warning : state.warnings) console.say("drillmaker: warning: " + warning);
}

// A work folder the run cannot write in ends it before anything is built.
int notWritable(BatchConsole& console, const fs::path& folder, int error) {
  console.say("drillmaker: the work folder " + folder.string() +
              " cannot be written: " + platform::systemErrorText(error));
  return exitcode::kCheckFailed;
}

// A delivered file's name must fit its folder; found out before the build,
// not when the finished drill cannot be delivered.
bool fitsFolder(BatchConsole& console, const fs::path& delivered) {
  const std::size_t length = delivered.filename().string().size();
  const std::size_t longest = platform::maxNameLength(delivered.parent_path());
  if (length <= longest) return true;
  console.say("drillmaker: the file name " + delivered.filename().string() + " is " + std::to_string(length) +
              " bytes long; the folder " + delivered.parent_path().string() + " takes names of up to " +
              std::to_string(longest) + " bytes. Give the source text a shorter name. Nothing was built.");
  return false;
}

// The system's error number for a drill folder that cannot be entered, 0 for one that can.
int folderError(const fs::path& folder) {
  std::error_code ec;
  const fs::file_status st = fs::status(folder, ec);
  if (ec) return ec.value();  // ENOENT for a folder that is not there
  if (!fs::is_directory(st)) return ENOTDIR;
  return 0;
}

std::string counted(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + ' ' + (n == 1 ? one : many);
}

// What a delivering run wrote, in one line: `container` is the delivered
// container's name, `report` the delivered report's ("" for none).
std::string summaryLine(const RunState& state, const std::string& container, const std::string& report) {
  if (state.reportOnly) return "no question passed the check; only " + report + " was written";
  std::string line = container + ": " + counted(state.validRecordCount, "question", "questions");
  if (!report.empty()) line += ", " + counted(countErrors(state), "finding", "findings") + " in " + report;
  if (!state.warnings.empty()) line += ", " + counted(state.warnings.size(), "warning", "warnings");
  return line;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  constexpr int kOperand = 1;  // what getopt_long returns for a non-option in "-" mode
  constexpr int kStrict = 256;
  constexpr int kCellStyles = 257;
  constexpr int kWindow = 258;
  static constexpr char kShortOptions[] = "-dqvhV";
  static const option kLongOptions[] = {
      {"keep-work", no_argument, nullptr, 'd'}, {"quiet", no_argument, nullptr, 'q'},
      {"verbose", no_argument, nullptr, 'v'},   {"strict", no_argument, nullptr, kStrict},
      {"cell-styles", no_argument, nullptr, kCellStyles},
      {"help", no_argument, nullptr, 'h'},      {"version", no_argument, nullptr, 'V'},
      {"window", no_argument, nullptr, kWindow}, {nullptr, 0, nullptr, 0},
  };
  CommandLine cl;
  auto usage = [&cl](std::string problem) {
    cl.action = CommandLine::Action::Usage;
    cl.problem = std::move(problem);
    return cl;
  };

  std::vector<std::string> strings{"drillmaker"};
  strings.insert(strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : strings) argv.push_back(s.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(strings.size());

  std::vector<std::string> operands;
  std::string batchOption;  // the first option that needs a folder
  bool window = false;      // --window: the operands go into the window's list
  optind = 0;  // a fresh scan (glibc)
  opterr = 0;  // the problems are reported here, in one line
  // A leading "-": operands come back in order, whatever POSIXLY_CORRECT says.
  for (int c; (c = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr)) != -1;) {
    switch (c) {
      case kOperand:
        if (std::string_view(optarg) == "/d" || std::string_view(optarg) == "/D")
          cl.keepWorkTree = true;
        else
          operands.emplace_back(optarg);
        break;
      case 'd':
        cl.keepWorkTree = true;
        break;
      case 'q':
        cl.quiet = true;
        if (batchOption.empty()) batchOption = "-q";
        break;
      case 'v':
        cl.verbose = true;
        if (batchOption.empty()) batchOption = "-v";
        break;
      case kStrict:
        cl.strict = true;
        if (batchOption.empty()) batchOption = "--strict";
        break;
      case kCellStyles:
        cl.cellStyles = true;
        if (batchOption.empty()) batchOption = "--cell-styles";
        break;
      case kWindow:
        window = true;
        break;
      case 'h':
        cl.action = CommandLine::Action::Help;
        return cl;
      case 'V':
        cl.action = CommandLine::Action::Version;
        return cl;
      default: {
        // An unknown short option is in optopt; a long option's problem
        // leaves optopt 0 (unknown, ambiguous) or its value (given a value).
        if (optopt > 0 && optopt < kStrict && !std::strchr(kShortOptions + 1, optopt))
          return usage("unknown option -" + std::string(1, static_cast<char>(optopt)));
        const std::string given = argv[optind - 1];
        const std::string name = given.substr(2, given.find('=') - 2);
        if (optopt != 0) return usage("the option --" + name + " takes no value");
        std::vector<std::string> matches;
        for (const option* o = kLongOptions; o->name; ++o)
          if (!name.empty() && std::string_view(o->name).rfind(name, 0) == 0) matches.push_back(o->name);
        if (matches.size() > 1) return usage("ambiguous option " + given + " (--" + matches[0] + " or --" + matches[1] + "?)");
        return usage("unknown option " + given);
      }
    }
  }
  for (int i = optind; i < argc; ++i) operands.emplace_back(argv[i]);  // after "--"

  if (window) {
    if (!batchOption.empty()) return usage(batchOption + " cannot be used with --window");
    cl.paths = std::move(operands);
    return cl;
  }
  if (operands.size() > 1)
    return usage("expected one folder, got " + std::to_string(operands.size()) + " arguments");
  if (cl.quiet && cl.verbose) return usage("-q and -v cannot be used together");
  if (operands.empty()) {
    if (!batchOption.empty()) return usage(batchOption + " needs a FOLDER to build");
    return cl;  // the window, with or without "/d"
  }
  cl.action = CommandLine::Action::Batch;
  cl.folder = operands[0];
  return cl;
}

std::string usageText() {
  return "Usage: drillmaker [OPTIONS] FOLDER   build the drill in FOLDER\n"
         "       drillmaker [-d]                open the window\n"
         "       drillmaker [-d] --window [FILE|FOLDER...]\n"
         "                                      open the window with these files in its\n"
         "                                      list (a folder adds the drill files below\n"
         "                                      it); never builds in batch mode\n"
         "       drillmaker inspect FILE.drl [--entries] [--json]\n"
         "                                      verify a built drill and describe it\n"
         "       drillmaker preview FILE.drl [-o FOLDER] [--json]\n"
         "                                      write a built drill as a web page\n"
         "                                      (drillmaker preview --help)\n"
         "\n"
         "Turns a drill (one tab-separated source text, or an .xlsx or .ods workbook\n"
         "whose first sheet holds it, with the pictures and sounds it names) into the file the handheld dictionary loads.\n"
         "\n"
         "The batch build adds the files below FOLDER, checks and builds, and writes\n"
         "<source name>.drl and, when the check found something, the check report\n"
         "error-<source name>.txt into the current directory. Standard output gets\n"
         "one line saying what was written; progress, warnings and failures go to\n"
         "standard error.\n"
         "\n"
         "Options:\n"
         "  -d, --keep-work, /d, /D  keep the work files after the run\n"
         "  -q, --quiet              show no progress (failures and warnings still)\n"
         "  -v, --verbose            show the phases' log texts as well\n"
         "      --strict             exit with 4 when the check reported findings\n"
         "      --cell-styles        keep a workbook's bold, italic, underline and font\n"
         "                           colours as markup where a cell has none of its own\n"
         "  -h, --help               show this text\n"
         "  -V, --version            show the version\n"
         "      --window             open the window, with the FILEs and FOLDERs given\n"
         "  --                       what follows is the FOLDER, even if it starts with -\n"
         "\n"
         "inspect options:\n"
         "  --entries                decode the entries and list them too\n"
         "  --json                   print the description as JSON\n"
         "inspect exits with 0 when every check holds, 1 when one does not, 2 when\n"
         "the file cannot be read or the command line is wrong.\n"
         "\n"
         "Files: the work base is $DRILLMAKER_WORK_BASE, else\n"
         "$XDG_CACHE_HOME/drillmaker (~/.cache/drillmaker). The work files live in\n"
         "its folder TempUsr; the log of the last batch run, with every text of its\n"
         "phases and every message, is drillmaker.log in the work base itself. Each\n"
         "run replaces the log; a failed or interrupted run leaves it.\n"
         "\n"
         "Exit status: 0 done (also when no question passed the check and only the\n"
         "report was written), 1 the build failed, 2 a check before the build\n"
         "failed or the command line is wrong, 3 another drillmaker is running,\n"
         "4 with --strict: written, but the check reported findings, 130/143\n"
         "interrupted by SIGINT/SIGTERM (the work files are removed).\n";
}

int runBatch(const CommandLine& command, const BatchEnvironment& env, std::ostream& err) {
  BatchConsole console(err, env.terminal,
                       command.quiet     ? BatchConsole::Detail::Quiet
                       : command.verbose ? BatchConsole::Detail::Verbose
                                         : BatchConsole::Detail::Phases);
  platform::InstanceLock lock;
  std::error_code ec;
  fs::create_directories(env.workBase, ec);
  if (ec) return notWritable(console, env.workBase, ec.value());
  if (!lock.acquire(env.workBase / platform::kInstanceLockName)) {
    if (lock.openError() != 0) return notWritable(console, env.workBase, lock.openError());
    console.say("drillmaker: another drillmaker is running; nothing was built");
    return exitcode::kLocked;
  }
  const WorkFilesAtStake stake(env.workBase);
  // The lock file may be left from a run before the folder became read-only.
  if (const int error = platform::folderWriteError(env.workBase)) return notWritable(console, env.workBase, error);

  const fs::path folder = fs::path(command.folder).is_absolute() ? fs::path(command.folder)
                                                                  : env.startDir / command.folder;
  // Only the run that holds the lock replaces the log.
  if (!env.logFile.empty()) {
    if (const int error = console.openLog(env.logFile, std::string("drillmaker ") + kVersion + ": " + folder.string()))
      console.say("drillmaker: warning: cannot write the log " + env.logFile.string() + ": " +
                  platform::systemErrorText(error));
  }
  if (const int error = folderError(folder)) {
    console.say("drillmaker: cannot enter the folder " + folder.string() + ": " + platform::systemErrorText(error));
    return exitcode::kCheckFailed;
  }

  PrintStatus printer(console);
  RunState state;
  state.workBase = env.workBase;
  state.startDir = env.startDir;
  state.batchMode = true;
  state.workbookCellStyles = command.cellStyles;
  state.cleanupAfterRun = !command.keepWorkTree;
  state.observer = &printer;
  state.sink = &console;

  FileList files;
  KeepFirst keepFirst(console);
  files.scanFolder(folder, keepFirst);
  for (const FolderProblem& problem : files.unreadableFolders()) {
    const std::string reason = platform::systemErrorText(problem.error.value());
    if (problem.folder == folder) {
      console.say("drillmaker: cannot read the folder " + folder.string() + ": " + reason);
      return exitcode::kCheckFailed;
    }
    console.say("drillmaker: warning: cannot read " + problem.folder.string() + ": " + reason + "; it is left out");
  }
  state.fileList = files.entries();

  if (!preBuildChecks(state, state.fileList, env.documents, platform::freeBytes)) {
    if (printer.lastCode() == status::kTooManyTexts) {
      std::string found = "drillmaker: the text files found:\n";
      for (const fs::path& path : state.fileList)
        if (isSourceFile(path)) found += "  " + path.string() + '\n';
      console.say(found);
    }
    return exitcode::kCheckFailed;
  }

  const std::string name = sourceName(state.sourceTextPath);
  if (!fitsFolder(console, deliveredContainerPath(env.startDir, name))) return exitcode::kCheckFailed;
  prepareWorkTree(state);
  if (WorkTreeProblem problem = checkWorkTree(state.paths))
    return notWritable(console, problem.folder, problem.error);

  auto failed = [&] {
    deleteWorkFiles(state);
    return exitcode::kPassFailed;
  };

  if (!CheckPass(state).ok) return failed();
  if (state.intake.sourceEncoding != SourceEncoding::ShiftJis)
    console.note("drillmaker: read " + state.sourceTextPath.filename().string() + " as " +
                std::string(encodingName(state.intake.sourceEncoding)));
  try {
    writeCheckReport(state);
  } catch (const std::exception& e) {
    printer.onStatus(status::kPassFailed, e.what());
    return failed();
  }

  // The report exists only when the check found something.
  const bool withReport = fs::exists(workReportPath(state), ec);
  if (withReport && !fitsFolder(console, deliveredReportPath(env.startDir, name))) {
    deleteWorkFiles(state);
    return exitcode::kCheckFailed;
  }

  if (state.validRecordCount == 0) {
    state.reportOnly = true;
  } else if (!BuildPass(state).ok) {
    printWarnings(state, console);
    return failed();
  }

  BatchDelivery delivered = deliverBatch(state);
  printWarnings(state, console);
  if (delivered.error) {
    std::string text = "drillmaker: cannot write " + delivered.failedPath.string() + ": " + delivered.error.message();
    for (const fs::path& file : delivered.written) text += "; " + file.string() + " was written";
    console.say(text);
    if (state.cleanupAfterRun) deleteWorkFiles(state);
    return exitcode::kPassFailed;
  }
  if (state.cleanupAfterRun) deleteWorkFiles(state);

  const std::string line =
      summaryLine(state, deliveredContainerPath(env.startDir, name).filename().string(),
                  withReport ? deliveredReportPath(env.startDir, name).filename().string() : std::string());
  console.clearProgress();
  console.record(line);
  if (env.out) *env.out << line << '\n' << std::flush;
  return command.strict && countErrors(state) != 0 ? exitcode::kFindings : exitcode::kDone;
}

}  // namespace dm
