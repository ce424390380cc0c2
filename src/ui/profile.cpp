#include "ui/profile.h"

#include <QSettings>

namespace dm::ui {

Profile::Profile(QString iniFile) : file_(std::move(iniFile)) {}

QString Profile::defaultFile() {
  return QSettings(QSettings::IniFormat, QSettings::UserScope, "drillmaker", "drillmaker").fileName();
}

QString Profile::read(const QString& key) const {
  QSettings settings(file_, QSettings::IniFormat);
  settings.beginGroup(kProfileGroup);
  const QString value = settings.value(key, QString(kProfileNotSet)).toString();
  return value.size() > kMaxProfileChars ? QString(kProfileNotSet) : value;
}

void Profile::write(const QString& key, const QString& value) {
  if (value.size() > kMaxProfileChars) return;
  QSettings settings(file_, QSettings::IniFormat);
  settings.beginGroup(kProfileGroup);
  settings.setValue(key, value);
}

QString startFolder(const QString& profileValue, const QString& documentsFolder) {
  return profileValue.compare(kProfileNotSet, Qt::CaseInsensitive) == 0 ? documentsFolder : profileValue;
}

}  // namespace dm::ui
