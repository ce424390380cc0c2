#include "ui/translations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace dm::ui {
namespace {

TEST(QtTranslationFile, FollowsTheLocaleAndFallsBackToJapanese) {
  test::TempDir dir;
  for (const char* name : {"qtbase_ja.qm", "qtbase_de.qm", "qtbase_en.qm", "qtbase_pt_BR.qm"})
    test::writeFile(dir / name, "x");
  const QString folder = QString::fromStdString(dir.path().string());
  struct Case {
    const char* locale;
    const char* file;
  };
  const Case cases[] = {
      {"ja_JP", "qtbase_ja.qm"},     //
      {"de_DE", "qtbase_de.qm"},     // a translation of its own
      {"pt_BR", "qtbase_pt_BR.qm"},  // the most specific form first
      {"en_US", "qtbase_ja.qm"},     // Qt's texts are English already: they are what was reported
      {"C", "qtbase_ja.qm"},         //
      {"fr_FR", "qtbase_ja.qm"},     // no file for the locale
  };
  for (const Case& c : cases) {
    const QLocale locale = QString::fromLatin1(c.locale) == "C" ? QLocale::c() : QLocale(QString::fromLatin1(c.locale));
    EXPECT_EQ(QFileInfo(qtTranslationFile(locale, folder)).fileName(), c.file) << c.locale;
  }
  test::TempDir empty;
  EXPECT_EQ(qtTranslationFile(QLocale::c(), QString::fromStdString(empty.path().string())), "");
}

// The stock buttons Qt draws read Japanese once the translations are installed.
TEST(QtTranslations, StockButtonsSpeakJapanese) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!QFileInfo(folder + "/qtbase_ja.qm").isFile())
    GTEST_SKIP() << "qtbase_ja.qm is not in " << folder.toStdString() << " (Debian: qt6-translations-l10n)";
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  ASSERT_NE(app, nullptr);
  QTranslator* translator = installQtTranslations(*app, QLocale::c());
  ASSERT_NE(translator, nullptr);
  {
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "キャンセル");
    QMessageBox message(QMessageBox::Warning, "警告", "text", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(message.button(QMessageBox::No)->text(), "いいえ(&N)");
  }
  QCoreApplication::removeTranslator(translator);
  delete translator;
}

}  // namespace
}  // namespace dm::ui
