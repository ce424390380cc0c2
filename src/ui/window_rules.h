// The rules of the main window that need no widgets: which commands are
// enabled for a state of the file list, which status picture is current and
// what a key press does to it, and the width of the widest list entry.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace dm::ui {

// The enabled state of the window's commands. Each flag stands for a button
// and its menu item together.
struct Controls {
  bool addFiles = true;   // "ファイル" and "ファイルの追加"
  bool addFolder = true;  // "フォルダ" and "フォルダの追加"
  bool make = false;      // "作成" and "作成を開始する"
  bool remove = false;    // "削除" and "ファイルの削除"
  bool list = true;       // the file list

  bool operator==(const Controls&) const = default;
};

struct ListState {
  bool empty = true;
  bool anySelected = false;
};

// Make follows a non-empty list, Delete a selection.
void updateControls(Controls& c, ListState list);
// Delete follows the selection.
void selectionChanged(Controls& c, ListState list);
// Everything off while a run is under way.
void disableControls(Controls& c);
// Everything on again, Make for a non-empty list and Delete for a selection.
void enableControls(Controls& c, ListState list);

enum class PictureKind { Progress, Result, Error };

struct StatusPicture {
  int id;
  PictureKind kind;
  std::string text;  // UTF-8; '\n' between two centred lines
};

// The picture of a status id; nullptr for an id without a picture.
const StatusPicture* statusPicture(int id);

// The result picture of a finished build with the build's warnings (see
// RunState::warnings) under its text, one line each.
StatusPicture resultPicture(const std::vector<std::string>& warnings);

// What the delivery of a finished run did: which delivered files it wrote
// and which existing ones the user kept, into which folder.
struct DeliveryOutcome {
  bool reportOnly = false;       // the run ended after the check, without a drill
  bool noValidQuestion = false;  // ... because no question passed the check
  std::vector<std::filesystem::path> written;
  std::vector<std::filesystem::path> kept;
  std::filesystem::path folder;
};

// The result picture of a delivery, with the build's warnings under its
// text. It says "created" (the text of status 1032) only when the drill was
// written; otherwise why there is no drill (the user stopped after the
// error list, no question passed, or the user kept the existing drill) and
// whether the report alone or nothing at all was written.
StatusPicture resultPicture(const DeliveryOutcome& outcome, const std::vector<std::string>& warnings);

// The lines under the result picture: the names of the files written and of
// those kept, and the folder; empty when there is neither.
std::string resultDetail(const DeliveryOutcome& outcome);

// The hint under a picture that a key or a click dismisses.
inline constexpr const char* kDismissHint = "キーを押すかクリックすると閉じます";

// Which status picture is current and whether a key press dismisses it.
class StatusDisplay {
 public:
  // Makes `id` the current picture.
  void show(int id, bool dismissable);
  // Hides the progress pictures (checking and building).
  void hideProgress();
  // No picture is current (a pass failure shows its message box instead).
  void clear();
  // A key press or character: true when it dismissed the current picture,
  // in which case the key must go no further and the controls come back.
  bool keyPressed();
  // A click on the picture: dismisses it as a key press does.
  bool clicked() { return keyPressed(); }

  int current() const { return current_; }
  bool dismissable() const { return dismissable_; }
  // While any picture is current, drops and Make and Delete by key do nothing.
  bool showing() const { return current_ != 0; }

 private:
  int current_ = 0;
  bool dismissable_ = false;
};

// Width units of the widest entry (2 per character above U+0080, 1 for
// others); 0 for an empty list.
int widestEntry(const std::vector<std::filesystem::path>& entries);

// Pixels of horizontal scroll extent per width unit.
inline constexpr int kPixelsPerWidthUnit = 10;

}  // namespace dm::ui
