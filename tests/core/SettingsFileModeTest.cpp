#include "core/IniFile.h"
#include "core/TCfg.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr QFileDevice::Permissions kOthers = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                             QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                             QFileDevice::WriteOther | QFileDevice::ExeOther;

bool OwnerOnly(const QString& path) {
  const QFileDevice::Permissions p = QFile::permissions(path);
  return (p & QFileDevice::ReadOwner) && (p & QFileDevice::WriteOwner) && !(p & kOthers);
}

// settings.ini holds the SMTP password: whoever else uses the PC must not read it.
TEST(SettingsFileMode, CreatedAndRewrittenForItsOwnerOnly) {
  QTemporaryDir dir;
  TCfg cfg(qmtest::TempEnv(dir));
  const QString path = cfg.SettingsPath();
  ASSERT_FALSE(QFile::exists(path));
  cfg.SetSmtpPwd("secret");
  ASSERT_TRUE(QFile::exists(path));
  EXPECT_TRUE(OwnerOnly(path)) << Qt::hex << int(QFile::permissions(path));

  // A file an older version left readable is tightened by the next write, whether it changes
  // the file or not.
  for (const QString& pwd : {QString("other"), QString("other")}) {
    ASSERT_TRUE(QFile::setPermissions(
        path, QFile::permissions(path) | QFileDevice::ReadOther | QFileDevice::ReadGroup));
    cfg.SetSmtpPwd(pwd);
    EXPECT_TRUE(OwnerOnly(path)) << pwd.toStdString();
  }
  EXPECT_EQ(IniFile(path).ReadString("alerts", "smtppwd", ""), "other");
}

}  // namespace
