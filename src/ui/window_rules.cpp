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
