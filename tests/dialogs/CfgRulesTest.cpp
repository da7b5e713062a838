#include "dialogs/BackgroundImage.h"
#include "dialogs/CfgRules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using qmcfg::YRange;

TEST(CfgRules, PortText) {
  const struct {
    const char* text;
    int port;
    bool inRange;
  } cases[] = {
      {"0", 0, true},          {"53941", 53941, true}, {"65535", 65535, true},
      {"65536", 65536, false}, {"-1", -1, false},      {"", -1, false},
      {"80a", -1, false},      {" 80", -1, false},     {"99999999999", -1, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(qmcfg::PortFromText(c.text), c.port) << c.text;
    EXPECT_EQ(qmcfg::PortInRange(qmcfg::PortFromText(c.text)), c.inRange) << c.text;
  }
}

TEST(CfgRules, FixedRangeSpansTenDb) {
  EXPECT_EQ(qmcfg::AfterMinMoved({75, 80}), (YRange{75, 85}));
  EXPECT_EQ(qmcfg::AfterMinMoved({70, 80}), (YRange{70, 80}));  // exactly 10 apart stays
  EXPECT_EQ(qmcfg::AfterMinMoved({40, 80}), (YRange{40, 80}));
  EXPECT_EQ(qmcfg::AfterMaxMoved({75, 70}), (YRange{60, 70}));
  EXPECT_EQ(qmcfg::AfterMaxMoved({60, 70}), (YRange{60, 70}));
  // The ends of the two ranges still leave room for each other.
  EXPECT_EQ(qmcfg::AfterMinMoved({qmcfg::kYMinHigh, 20}), (YRange{130, qmcfg::kYMaxHigh}));
  EXPECT_EQ(qmcfg::AfterMaxMoved({130, qmcfg::kYMaxLow}), (YRange{qmcfg::kYMinLow, 20}));
}

TEST(CfgRules, AlertRateEntries) {
  const std::pair<int, int> cases[] = {{1, 0},  {2, 1},  {5, 2}, {10, 3}, {30, 4},
                                       {60, 5}, {15, 3}, {0, 3}, {-5, 3}, {120, 3}};
  for (const auto& [minutes, index] : cases) {
    EXPECT_EQ(qmcfg::AlertRateIndex(minutes), index) << minutes;
    EXPECT_EQ(qmcfg::kAlertRates[qmcfg::AlertRateIndex(minutes)], index == 3 ? 10 : minutes);
  }
}

TEST(CfgRules, SmtpPortListKeepsAnUnlistedPort) {
  EXPECT_EQ(qmcfg::SmtpPorts(587), (QList<int>{25, 465, 587}));
  EXPECT_EQ(qmcfg::SmtpPorts(25), (QList<int>{25, 465, 587}));
  EXPECT_EQ(qmcfg::SmtpPorts(2525), (QList<int>{25, 465, 587, 2525}));
}

TEST(CfgRules, HelpPageOfEachTab) {
  EXPECT_EQ(qmcfg::HelpPageForTab("tabDisplay"), "preferences/display.html");
  EXPECT_EQ(qmcfg::HelpPageForTab("tabCharts"), "preferences/charts.html");
  EXPECT_EQ(qmcfg::HelpPageForTab("tabEmail"), "preferences/email.html");
  EXPECT_EQ(qmcfg::HelpPageForTab("tabNetwork"), "preferences/network.html");
  EXPECT_EQ(qmcfg::HelpPageForTab("tabSmtp"), "");
  EXPECT_EQ(qmcfg::HelpPageForTab("tabClockSync"), "");
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

TEST(BackgroundImage, CopyReplacesThePictureWholeOrNotAtAll) {
  QTemporaryDir dir;
  const QString appData = dir.path() + "/appdata/";
  ASSERT_TRUE(QDir().mkpath(appData));
  const QString target = qmbackground::ImagePath(appData);
  EXPECT_EQ(target, appData + "quietmarksv.jpg");

  const QByteArray first(300000, 'a');
  WriteAll(dir.filePath("first.jpg"), first);
  ASSERT_TRUE(qmbackground::CopyImage(dir.filePath("first.jpg"), appData));
  EXPECT_EQ(ReadAll(target), first);

  // A second picture replaces the first; the current picture copied onto itself stays whole.
  WriteAll(dir.filePath("second.jpg"), "second");
  ASSERT_TRUE(qmbackground::CopyImage(dir.filePath("second.jpg"), appData));
  EXPECT_EQ(ReadAll(target), "second");
  ASSERT_TRUE(qmbackground::CopyImage(target, appData));
  EXPECT_EQ(ReadAll(target), "second");

  // Failures leave the picture as it was and no temporary file behind.
  EXPECT_FALSE(qmbackground::CopyImage(dir.filePath("missing.jpg"), appData));
  EXPECT_FALSE(qmbackground::CopyImage(dir.path(), appData));  // a folder
  EXPECT_FALSE(qmbackground::CopyImage(dir.filePath("second.jpg"), dir.path() + "/none/"));
  EXPECT_EQ(ReadAll(target), "second");
  EXPECT_EQ(QDir(appData).entryList(QDir::Files), QStringList{"quietmarksv.jpg"});
}

}  // namespace
