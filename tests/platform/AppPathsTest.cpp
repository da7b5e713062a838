#include "platform/AppPaths.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(AppPaths, DataFoldersFollowXdgDataHomeAndAreCreated) {
  QTemporaryDir dir;
  const QByteArray before = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", (dir.path() + "/share").toUtf8());
  EXPECT_EQ(qmplatform::AllUsersDataFolder(), dir.path() + "/share/");
  const QString app = qmplatform::AppDataFolder();
  EXPECT_EQ(app, dir.path() + "/share/Brackenhall/Quietmark-SV/");
  EXPECT_TRUE(QDir(app).exists());
  if (before.isNull())
    qunsetenv("XDG_DATA_HOME");
  else
    qputenv("XDG_DATA_HOME", before);
}

TEST(AppPaths, ProgramFolderIsTheExecutablesWithASeparator) {
  const QString folder = qmplatform::ProgramFolder();
  EXPECT_TRUE(folder.endsWith('/'));
  EXPECT_TRUE(qmplatform::ExecutablePath().startsWith(folder));
  EXPECT_EQ(qmplatform::WithTrailingSeparator("/a"), "/a/");
  EXPECT_EQ(qmplatform::WithTrailingSeparator("/a/"), "/a/");
  EXPECT_EQ(qmplatform::WithTrailingSeparator(""), "");
}

}  // namespace
