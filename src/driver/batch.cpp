#include "driver/batch.h"

#include <ostream>

#include "driver/delivery.h"
#include "driver/file_list.h"
#include "driver/interruption.h"
#include "driver/passes.h"
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
  explicit KeepFirst(std::ostream& err) : err_(err) {}
  bool confirmReplace(const fs::path& newPath, const fs::path& listedPath) override {
    err_ << "drillmaker: skipped " << newPath.string() << ": a file of the same name is listed ("
         << listedPath.string() << ")\n";
    return false;
  }

 private:
  std::ostream& err_;
};

class PrintStatus : public StatusObserver {
 public:
  explicit PrintStatus(std::ostream& err) : err_(err) {}
  void onStatus(int code, const std::string& text) override {
    lastCode_ = code;
    if (code == status::kPassFailed) {
      err_ << "drillmaker: the build failed: " << text;
      if (text.empty() || text.back() != '\n') err_ << '\n';
      return;
    }
    std::string s = statusText(code);
    if (!s.empty()) err_ << "drillmaker: " << s << '\n';
  }
  int lastCode() const { return lastCode_; }

 private:
  std::ostream& err_;
  int lastCode_ = 0;
};

// The phases' log texts, one per line, to the batch command's log stream.
class LogLines : public ProgressSink {
 public:
  explicit LogLines(std::ostream* out) : out_(out) {}
  void phase(std::string_view) override {}
  void progress(std::uint64_t, std::uint64_t) override {}
  void log(std::string_view line) override {
    if (out_) *out_ << line << '\n';
  }

 private:
  std::ostream* out_;
};

// The build's warnings, after the run.
void printWarnings(const RunState& state, std::ostream& err) {
  for (const std::string& warning : state.warnings) err << "drillmaker: warning: " << warning << '\n';
}

// A work folder the run cannot write in ends it before anything is built.
int notWritable(std::ostream& err, const fs::path& folder, int error) {
  err << "drillmaker: the work folder " << folder.string()
      << " cannot be written: " << platform::systemErrorText(error) << '\n';
  return exitcode::kCheckFailed;
}

// A delivered file's name must fit its folder; found out before the build,
// not when the finished drill cannot be delivered.
bool fitsFolder(std::ostream& err, const fs::path& delivered) {
  const std::size_t length = delivered.filename().string().size();
  const std::size_t longest = platform::maxNameLength(delivered.parent_path());
  if (length <= longest) return true;
  err << "drillmaker: the file name " << delivered.filename().string() << " is " << length
      << " bytes long; the folder " << delivered.parent_path().string() << " takes names of up to " << longest
      << " bytes. Give the source text a shorter name. Nothing was built.\n";
  return false;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  std::vector<std::string> rest;
  for (const std::string& a : args) {
    if (a == "/d" || a == "/D") {
      cl.keepWorkTree = true;
    } else if (a == "--help" || a == "-h") {
      cl.action = CommandLine::Action::Help;
      return cl;
    } else if (a == "--version") {
      cl.action = CommandLine::Action::Version;
      return cl;
    } else {
      rest.push_back(a);
    }
  }
  if (rest.empty()) return cl;  // the window, with or without "/d"
  if (rest.size() > 1) {
    cl.action = CommandLine::Action::Usage;
    cl.problem = "expected one folder, got " + std::to_string(rest.size()) + " arguments";
    return cl;
  }
  if (rest[0].size() > 1 && rest[0][0] == '-') {
    cl.action = CommandLine::Action::Usage;
    cl.problem = "unknown option " + rest[0];
    return cl;
  }
  cl.action = CommandLine::Action::Batch;
  cl.folder = rest[0];
  return cl;
}

std::string usageText() {
  return "Usage: drillmaker [FOLDER] [/d]\n"
         "\n"
         "Turns a drill (one tab-separated source text with the pictures and\n"
         "sounds it names) into the file the handheld dictionary loads.\n"
         "\n"
         "  drillmaker             open the window\n"
         "  drillmaker FOLDER      build the drill in FOLDER without a window and\n"
         "                         write <source name>.drl and error-<source name>.txt\n"
         "                         into the current directory\n"
         "  /d, /D                 keep the work files after the run\n"
         "  --help                 show this text\n"
         "  --version              show the version\n"
         "  drillmaker inspect FILE.drl [--json]\n"
         "                         verify a built drill and describe it\n"
         "\n"
         "Exit status: 0 done, 1 the build failed, 2 a check before the build\n"
         "failed, 3 another drillmaker is running, 130/143 interrupted by\n"
         "SIGINT/SIGTERM (the work files are removed).\n"
         "Work files live in $DRILLMAKER_WORK_BASE, else $XDG_CACHE_HOME/drillmaker\n"
         "(~/.cache/drillmaker).\n";
}

int runBatch(const CommandLine& command, const BatchEnvironment& env, std::ostream& err) {
  platform::InstanceLock lock;
  std::error_code ec;
  fs::create_directories(env.workBase, ec);
  if (ec) return notWritable(err, env.workBase, ec.value());
  if (!lock.acquire(env.workBase / platform::kInstanceLockName)) {
    if (lock.openError() != 0) return notWritable(err, env.workBase, lock.openError());
    err << "drillmaker: another drillmaker is running; nothing was built\n";
    return exitcode::kLocked;
  }
  const WorkFilesAtStake stake(env.workBase);
  // The lock file may be left from a run before the folder became read-only.
  if (const int error = platform::folderWriteError(env.workBase)) return notWritable(err, env.workBase, error);

  const fs::path folder = fs::path(command.folder).is_absolute() ? fs::path(command.folder)
                                                                  : env.startDir / command.folder;
  if (!fs::is_directory(folder, ec)) {
    err << "drillmaker: cannot enter the folder " << folder.string() << '\n';
    return exitcode::kCheckFailed;
  }

  PrintStatus printer(err);
  RunState state;
  state.workBase = env.workBase;
  state.startDir = env.startDir;
  state.batchMode = true;
  state.cleanupAfterRun = !command.keepWorkTree;
  state.observer = &printer;
  LogLines logLines(env.log);
  state.sink = &logLines;

  FileList files;
  KeepFirst keepFirst(err);
  files.scanFolder(folder, keepFirst);
  for (const FolderProblem& problem : files.unreadableFolders()) {
    const std::string reason = platform::systemErrorText(problem.error.value());
    if (problem.folder == folder) {
      err << "drillmaker: cannot read the folder " << folder.string() << ": " << reason << '\n';
      return exitcode::kCheckFailed;
    }
    err << "drillmaker: warning: cannot read " << problem.folder.string() << ": " << reason
        << "; it is left out\n";
  }
  state.fileList = files.entries();

  if (!preBuildChecks(state, state.fileList, env.documents, platform::freeBytes)) {
    if (printer.lastCode() == status::kTooManyTexts) {
      err << "drillmaker: the text files found:\n";
      for (const fs::path& path : state.fileList)
        if (isTextFile(path)) err << "  " << path.string() << '\n';
    }
    return exitcode::kCheckFailed;
  }

  const std::string name = sourceName(state.sourceTextPath);
  if (!fitsFolder(err, deliveredContainerPath(env.startDir, name))) return exitcode::kCheckFailed;
  prepareWorkTree(state);
  if (WorkTreeProblem problem = checkWorkTree(state.paths)) return notWritable(err, problem.folder, problem.error);

  auto failed = [&] {
    deleteWorkFiles(state);
    return exitcode::kPassFailed;
  };

  if (!CheckPass(state).ok) return failed();
  if (state.intake.sourceEncoding != SourceEncoding::ShiftJis)
    err << "drillmaker: read " << state.sourceTextPath.filename().string() << " as "
        << encodingName(state.intake.sourceEncoding) << '\n';
  try {
    writeCheckReport(state);
  } catch (const std::exception& e) {
    printer.onStatus(status::kPassFailed, e.what());
    return failed();
  }

  // The report exists only when the check found something.
  if (fs::exists(workReportPath(state), ec) && !fitsFolder(err, deliveredReportPath(env.startDir, name))) {
    deleteWorkFiles(state);
    return exitcode::kCheckFailed;
  }

  if (state.validRecordCount == 0) {
    state.reportOnly = true;
  } else if (!BuildPass(state).ok) {
    printWarnings(state, err);
    return failed();
  }

  BatchDelivery delivered = deliverBatch(state);
  printWarnings(state, err);
  if (delivered.error) {
    err << "drillmaker: cannot write " << delivered.failedPath.string() << ": " << delivered.error.message()
        << '\n';
    if (state.cleanupAfterRun) deleteWorkFiles(state);
    return exitcode::kPassFailed;
  }
  if (state.cleanupAfterRun) deleteWorkFiles(state);
  return exitcode::kDone;
}

}  // namespace dm
