#include "ui/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

namespace dm::ui {

namespace {

constexpr const char* kWindowLanguage = "ja";

QString fileFor(const QString& folder, const QString& language) {
  return QDir(folder).filePath(QStringLiteral("qtbase_") + language + QStringLiteral(".qm"));
}

// Whether Qt's untranslated texts already are this language.
bool isQtsOwnLanguage(const QString& language) {
  const QLocale::Language l = QLocale(language).language();
  return l == QLocale::English || l == QLocale::C || l == QLocale::AnyLanguage;
}

}  // namespace

QString qtTranslationFile(const QLocale& locale, const QString& folder) {
  for (QString language : locale.uiLanguages()) {
    language.replace(u'-', u'_');
    if (isQtsOwnLanguage(language)) continue;
    // "pt_BR" first, then "pt".
    for (;;) {
      const QString file = fileFor(folder, language);
      if (QFileInfo(file).isFile()) return file;
      const qsizetype cut = language.lastIndexOf(u'_');
      if (cut <= 0) break;
      language.truncate(cut);
    }
  }
  const QString fallback = fileFor(folder, QString::fromLatin1(kWindowLanguage));
  return QFileInfo(fallback).isFile() ? fallback : QString();
}

QTranslator* installQtTranslations(QCoreApplication& app, const QLocale& locale) {
  const QString file = qtTranslationFile(locale, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (file.isEmpty()) return nullptr;
  auto* translator = new QTranslator(&app);
  if (!translator->load(file) || !QCoreApplication::installTranslator(translator)) {
    delete translator;
    return nullptr;
  }
  return translator;
}

}  // namespace dm::ui
