// The dialogs the main window opens, behind one interface so that tests can
// answer them. QtDialogs shows the real ones.
#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QFileDialog;
class QWidget;

namespace dm::ui {

namespace fs = std::filesystem;

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The overwrite confirmation: true to replace `currentFile` by `newFile`.
  virtual bool confirmOverwrite(QWidget* parent, const fs::path& newFile, const fs::path& currentFile) = 0;
  // The error list before the build: true to build, false to stop.
  virtual bool reviewErrors(QWidget* parent, const std::vector<std::u16string>& lines,
                            std::uint32_t validRecordCount) = 0;
  // The files chosen in the file dialog, in its order; empty when cancelled.
  virtual std::vector<fs::path> chooseFiles(QWidget* parent, const QString& startFolder) = 0;
  // The folder chosen in the folder chooser; nullopt when cancelled.
  virtual std::optional<fs::path> chooseFolder(QWidget* parent, const QString& startFolder) = 0;
  // A built drill (.drl) to preview; nullopt when cancelled.
  virtual std::optional<fs::path> chooseDrill(QWidget* parent, const QString& startFolder) = 0;
  virtual void showAbout(QWidget* parent) = 0;
  // The message box of a failed pass.
  virtual void showPassFailure(QWidget* parent, const QString& text) = 0;
  // A message box that warns of something the user should know (folders a
  // scan could not read).
  virtual void showWarning(QWidget* parent, const QString& text) = 0;
};

class QtDialogs : public Dialogs {
 public:
  bool confirmOverwrite(QWidget* parent, const fs::path& newFile, const fs::path& currentFile) override;
  bool reviewErrors(QWidget* parent, const std::vector<std::u16string>& lines,
                    std::uint32_t validRecordCount) override;
  std::vector<fs::path> chooseFiles(QWidget* parent, const QString& startFolder) override;
  std::optional<fs::path> chooseFolder(QWidget* parent, const QString& startFolder) override;
  std::optional<fs::path> chooseDrill(QWidget* parent, const QString& startFolder) override;
  void showAbout(QWidget* parent) override;
  void showPassFailure(QWidget* parent, const QString& text) override;
  void showWarning(QWidget* parent, const QString& text) override;
};

// The program's title, shown in the window title and the about box.
inline constexpr const char* kProgramTitle = "drillmaker";

// The titles of the message boxes: a failure, a warning, a question.
inline constexpr const char* kErrorTitle = "エラー";
inline constexpr const char* kWarningTitle = "警告";
inline constexpr const char* kQuestionTitle = "確認";

// The file dialog's filter: each entry is its label, which already names the
// patterns, followed by the patterns Qt matches.
QString fileDialogFilter();

// The file dialog of "ファイルの追加", set up to choose existing files from
// `startFolder` and not yet shown. It shows each filter by its label alone.
std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const QString& startFolder);

}  // namespace dm::ui
