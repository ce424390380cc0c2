#include "intake/intake.h"

#include <cerrno>
#include <fstream>

#include "driver/run_state.h"
#include "intake/line_normaliser.h"
#include "intake/record_checker.h"
#include "intake/source_reader.h"
#include "platform/failure.h"
#include "platform/platform.h"
#include "textio/wide_line.h"

namespace dm {

namespace {

[[noreturn]] void cannotOpen(const fs::path& path) {
  throw PassFailure("can't open file " + path.string() + ": " + platform::systemErrorText(errno));
}

std::ifstream openInput(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) cannotOpen(path);
  return in;
}

std::ofstream openOutput(const fs::path& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) cannotOpen(path);
  return out;
}

void finish(std::ofstream& out, const fs::path& path) {
  out.close();
  if (!out) throw PassFailure("can't write file " + path.string() + ": " + platform::systemErrorText(errno));
}

}  // namespace

void convertSource(RunState& state) {
  state.intake.sourceEncoding =
      convertSourceFile(state.sourceTextPath, state.paths.trash / intakefiles::kConverted,
                        state.paths.trash / intakefiles::kConversionLog);
}

void normaliseSource(RunState& state) {
  const fs::path from = state.paths.trash / intakefiles::kConverted;
  const fs::path to = state.paths.trash / intakefiles::kNormalised;
  std::ifstream in = openInput(from);
  std::ofstream out = openOutput(to);
  normaliseLines(in, out);
  finish(out, to);
}

void checkSource(RunState& state) {
  const fs::path from = state.paths.trash / intakefiles::kNormalised;
  const fs::path to = state.paths.trash / intakefiles::kChecked;
  std::ifstream in = openInput(from);
  std::ofstream out = openOutput(to);
  CheckContext context;
  context.mediaList = &state.mediaList;
  context.mediaTotals = state.mediaTotals;
  context.sourceName = utf8ToUtf16(state.sourceTextPath.filename().string());
  state.validRecordCount = checkRecords(state.intake, context, in, out);
  finish(out, to);
}

void writeCheckReport(RunState& state) { writeCheckReport(state, ReportLineSink()); }

void writeCheckReport(RunState& state, const ReportLineSink& sink) {
  const ErrorList& errors = state.intake.errors;
  if (errors.empty()) return;
  std::ofstream file(state.paths.destin / intakefiles::kCheckReport, std::ios::binary | std::ios::trunc);
  writeCheckReport(errors, file ? &file : nullptr, sink);
}

std::size_t countErrors(const RunState& state) { return countErrors(state.intake); }

}  // namespace dm
