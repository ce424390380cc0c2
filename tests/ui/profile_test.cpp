#include "ui/profile.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace dm::ui {
namespace {

class ProfileTest : public testing::Test {
 protected:
  test::TempDir dir;
  QString file = QString::fromStdString((dir / "drillmaker.ini").string());
};

TEST_F(ProfileTest, MissingKeysReadAsNull) {
  Profile profile(file);
  EXPECT_EQ(profile.read(kFilePathKey), "NULL");
  EXPECT_EQ(profile.read(kFolderPathKey), "NULL");
}

TEST_F(ProfileTest, ValuesSurviveInTheDrlDictGroup) {
  Profile(file).write(kFilePathKey, "/home/user/ドリル素材/");
  Profile(file).write(kFolderPathKey, "/tmp/x/");
  Profile again(file);
  EXPECT_EQ(again.read(kFilePathKey), "/home/user/ドリル素材/");
  EXPECT_EQ(again.read(kFolderPathKey), "/tmp/x/");
  EXPECT_NE(test::readFile(dir / "drillmaker.ini").find("[DrlDict]"), std::string::npos);
}

TEST_F(ProfileTest, ValuesOverTheLimitAreNeitherWrittenNorRead) {
  Profile profile(file);
  const QString atLimit = "/" + QString(kMaxProfileChars - 2, 'a') + "/";
  profile.write(kFilePathKey, atLimit);
  EXPECT_EQ(profile.read(kFilePathKey), atLimit);
  profile.write(kFilePathKey, atLimit + "b");
  EXPECT_EQ(profile.read(kFilePathKey), atLimit) << "the longer value is not written";

  test::writeFile(dir / "long.ini", "[DrlDict]\nFolderPath=/" + std::string(300, 'x') + "\n");
  EXPECT_EQ(Profile(QString::fromStdString((dir / "long.ini").string())).read(kFolderPathKey), "NULL");
}

TEST(StartFolder, NullInAnyCaseMeansTheDocumentsFolder) {
  EXPECT_EQ(startFolder("NULL", "/docs"), "/docs");
  EXPECT_EQ(startFolder("null", "/docs"), "/docs");
  EXPECT_EQ(startFolder("/pics/", "/docs"), "/pics/");
}

}  // namespace
}  // namespace dm::ui
