// The user's profile: the start folders of the file dialog and the folder
// chooser, kept between runs in an INI file under the group "DrlDict".
#pragma once

#include <QString>

namespace dm::ui {

inline constexpr const char* kProfileGroup = "DrlDict";
inline constexpr const char* kFilePathKey = "FilePath";
inline constexpr const char* kFolderPathKey = "FolderPath";
// The value of a key that is not set.
inline constexpr const char* kProfileNotSet = "NULL";
inline constexpr int kMaxProfileChars = 260;

class Profile {
 public:
  // The profile kept in `iniFile`.
  explicit Profile(QString iniFile);

  // The user's own profile file.
  static QString defaultFile();

  // The key's value, or "NULL" when the key is missing or its value is
  // longer than 260 characters (a cut path would name the wrong folder).
  QString read(const QString& key) const;

  // Writes the value; a value longer than 260 characters is not written.
  void write(const QString& key, const QString& value);

 private:
  QString file_;
};

// The folder a dialog starts in: the profile value unless it is "NULL"
// (in any case), else the documents folder.
QString startFolder(const QString& profileValue, const QString& documentsFolder);

}  // namespace dm::ui
