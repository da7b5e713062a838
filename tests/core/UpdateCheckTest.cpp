#include "core/UpdateCheck.h"

#include <QDate>
#include <QTime>

#include <gtest/gtest.h>

namespace {

TEST(UpdateCheckTest, VersionTextsAgainstOurs) {
  const qint64 ours = VersionNumber(QString::fromLatin1(kProgramVersion));
  ASSERT_EQ(ours, 66305);
  struct Case {
    const char* reply;
    qint64 number;
  };
  const Case cases[] = {
      {"1.3.2", 66306},
      {"1.4.0", 66560},
      {"2.0.0", 131072},
      {"1.3.1", 66305},
      {"1.2.9", 66057},
      {"1.3", -1},
      {"", -1},
      {"<html><body>Not here</body></html>", -1},
      {"<!DOCTYPE html>\n<html>1.3.2</html>", -1},
      {"1.3.2\r\n", 66306},
      {"  1.3.2  ", 66306},
      {"\t1 3\t2\n", 66306},
      {"1\x01"
       "3\x7f"
       "2",
       66306},
      {"1.3.2.7", 66306},
      {"1.3.x", -1},
      {"1.-3.2", -1},
      {"+1.3.2", -1},
      {"1..3.2", -1},
      {"99999999999.0.0", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VersionNumber(QString::fromLatin1(c.reply)), c.number) << c.reply;
  }
}

TEST(UpdateCheckTest, BodyCountsLocalSecondsSince1899) {
  struct Case {
    QDate date;
    QTime time;
    const char* body;
  };
  const Case cases[] = {
      {QDate(1899, 12, 30), QTime(0, 0), "action=svver&x=0"},
      {QDate(1899, 12, 31), QTime(0, 0, 1), "action=svver&x=86401"},
      // Milliseconds are cut off, not rounded.
      {QDate(2026, 12, 10), QTime(12, 34, 56, 999), "action=svver&x=4006067696"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UpdateRequestBody(QDateTime(c.date, c.time)), QByteArray(c.body)) << c.body;
}

TEST(UpdateCheckTest, BaseUrlFromEnvironment) {
  qunsetenv("QMSV_UPDATE_URL");
  EXPECT_TRUE(UpdateInstallUrl().startsWith("http://"));
  EXPECT_TRUE(UpdateInstallUrl().endsWith("/install/"));
  qputenv("QMSV_UPDATE_URL", "http://127.0.0.1:8080/");
  EXPECT_EQ(UpdateInstallUrl(), "http://127.0.0.1:8080/install/");
  qunsetenv("QMSV_UPDATE_URL");
}

}  // namespace
