#include "ui/window_rules.h"

#include <algorithm>
#include <array>

#include "driver/file_list.h"
#include "driver/run_state.h"
#include "driver/status_text.h"
#include "textio/wide_line.h"

namespace dm::ui {

void updateControls(Controls& c, ListState list) {
  c.make = !list.empty;
  c.remove = list.anySelected;
}

void selectionChanged(Controls& c, ListState list) { c.remove = list.anySelected; }

void disableControls(Controls& c) {
  c.addFiles = c.addFolder = c.make = c.remove = c.list = false;
}

void enableControls(Controls& c, ListState list) {
  c.addFiles = c.addFolder = c.list = true;
  c.make = !list.empty;
  c.remove = list.anySelected;
}

const StatusPicture* statusPicture(int id) {
  static const std::array<StatusPicture, 8> kPictures = {{
      {status::kChecking, PictureKind::Progress, statusText(status::kChecking)},
      {status::kBuilding, PictureKind::Progress, statusText(status::kBuilding)},
      {status::kCreated, PictureKind::Result, statusText(status::kCreated)},
      {status::kTooManyTexts, PictureKind::Error, statusText(status::kTooManyTexts)},
      {status::kNoText, PictureKind::Error, statusText(status::kNoText)},
      {status::kNotWritable, PictureKind::Error, statusText(status::kNotWritable)},
      {status::kDiskFull, PictureKind::Error, statusText(status::kDiskFull)},
      {status::kTooLarge, PictureKind::Error, statusText(status::kTooLarge)},
  }};
  for (const StatusPicture& p : kPictures)
    if (p.id == id) return &p;
  return nullptr;
}

StatusPicture resultPicture(const std::vector<std::string>& warnings) {
  StatusPicture picture = *statusPicture(status::kCreated);
  for (const std::string& warning : warnings) picture.text += "\n" + warning;
  return picture;
}

namespace {

// The names of `paths` joined by ", ".
std::string namesOf(const std::vector<std::filesystem::path>& paths) {
  std::string names;
  for (const auto& path : paths) names += (names.empty() ? "" : ", ") + path.filename().string();
  return names;
}

bool isDrill(const std::filesystem::path& path) { return path.extension() == ".drl"; }

}  // namespace

StatusPicture resultPicture(const DeliveryOutcome& outcome, const std::vector<std::string>& warnings) {
  const bool drillWritten = std::any_of(outcome.written.begin(), outcome.written.end(), isDrill);
  const bool reportWritten = !std::all_of(outcome.written.begin(), outcome.written.end(), isDrill);
  if (drillWritten) return resultPicture(warnings);

  StatusPicture picture = *statusPicture(status::kCreated);
  if (outcome.noValidQuestion)
    picture.text = "有効な問題がないため、\nドリルファイルは作成していません。";
  else if (outcome.reportOnly)
    picture.text = "作成を中止しました。";
  else
    picture.text = "ドリルファイルは上書きしませんでした。";
  picture.text += reportWritten ? "\nデスクトップ上のドリルフォルダに\nエラーレポートだけを作成しました。"
                                : "\nファイルは何も作成していません。";
  for (const std::string& warning : warnings) picture.text += "\n" + warning;
  return picture;
}

std::string resultDetail(const DeliveryOutcome& outcome) {
  if (outcome.written.empty() && outcome.kept.empty()) return {};
  std::string detail;
  if (!outcome.written.empty()) detail += "作成したファイル: " + namesOf(outcome.written) + "\n";
  if (!outcome.kept.empty()) detail += "上書きしなかったファイル: " + namesOf(outcome.kept) + "\n";
  return detail + "保存先: " + outcome.folder.string();
}

void StatusDisplay::show(int id, bool dismissable) {
  current_ = id;
  dismissable_ = dismissable;
}

void StatusDisplay::hideProgress() {
  if (current_ == status::kChecking || current_ == status::kBuilding) clear();
}

void StatusDisplay::clear() {
  current_ = 0;
  dismissable_ = false;
}

bool StatusDisplay::keyPressed() {
  if (!dismissable_ || current_ == 0) return false;
  clear();
  return true;
}

int widestEntry(const std::vector<std::filesystem::path>& entries) {
  int widest = 0;
  for (const auto& e : entries) widest = std::max(widest, displayWidth(utf8ToUtf16(e.string())));
  return widest;
}

}  // namespace dm::ui
