// Qt's own translations of its stock texts (the buttons of message boxes and
// button boxes, the file dialog's labels), so that the dialogs Qt draws speak
// the language of the window around them.
#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;
class QTranslator;

namespace dm::ui {

// The file of Qt's stock texts to load from `folder` for `locale`: the first
// of the locale's UI languages (most specific form first) that has a
// "qtbase_<lang>.qm" there. English and the C locale count as having none,
// since Qt's untranslated texts are English; a locale without one of its own
// gets Japanese, the language of the window's own texts. Empty when not even
// the Japanese file is there.
QString qtTranslationFile(const QLocale& locale, const QString& folder);

// Loads that file from Qt's translations folder and installs it on `app`,
// which owns it. Returns the installed translator, or nullptr when there is
// no file or it cannot be loaded (the stock texts then stay English).
QTranslator* installQtTranslations(QCoreApplication& app, const QLocale& locale = QLocale::system());

}  // namespace dm::ui
