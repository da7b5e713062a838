#include "DownloaderFixture.h"

#include <gtest/gtest.h>

namespace {

TEST_F(DownloaderTest, FirstPeriodicRecordCreatesTheDayFileFromTheTemplate) {
  ASSERT_TRUE(Rx("per&2024&3&7&15&10:17:30,65.4,71.2"));
  EXPECT_FALSE(QFile::exists(Month() + "per-07-0015.csv"));  // written at the end marker
  ASSERT_TRUE(Rx("per&2024&3&7&15&.end"));
  const QStringList lines = FileLines(Month() + "per-07-0015.csv");
  ASSERT_EQ(lines.size(), 97);
  EXPECT_EQ(lines[0], ".");
  EXPECT_EQ(lines[1], "00:00:00,-");
  EXPECT_EQ(lines[96], "23:45:00,-");
  EXPECT_EQ(lines[42], "10:17:30,65.4,71.2");  // the 10:15 slot
  EXPECT_TRUE(FileBytes(Month() + "per-07-0015.csv").endsWith("23:45:00,-\r\n"));
}

TEST_F(DownloaderTest, QuietmarkSeValuesAreScaledAndBadOnesDropped) {
  client.sType = "Quietmark-SE";
  Rx("per&2024&3&7&60&10:00:00,654,712");
  Rx("per&2024&3&7&60&11:00:00,654,-");
  Rx("per&2024&3&7&60&.time,laeq,lmax");
  Rx("per&2024&3&7&60&.end");
  const QStringList lines = FileLines(Month() + "per-07-0060.csv");
  EXPECT_EQ(lines[0], ".time,laeq,lmax");
  EXPECT_EQ(lines[11], "10:00:00,65.4,71.2");
  EXPECT_EQ(lines[12], "11:00:00,-");
  client.sType = "Quietmark-NG";
  Rx("per&2024&3&7&60&10:00:00,654,712");
  Rx("per&2024&3&7&60&.end");
  EXPECT_EQ(FileLines(Month() + "per-07-0060.csv")[11], "10:00:00,654,712");
}

TEST_F(DownloaderTest, PeriodicRecordsMergeIntoAnExistingFile) {
  QStringList existing;
  qmfiles::InitPerFile(existing, 30);
  existing[1] = "00:00:00,50.0";
  Write("2024-03/per-07-0030.csv", existing);
  Rx("per&2024&3&7&30&00:30:00,51.0");
  Rx("per&2024&3&7&30&.end");
  const QStringList lines = FileLines(Month() + "per-07-0030.csv");
  EXPECT_EQ(lines[1], "00:00:00,50.0");
  EXPECT_EQ(lines[2], "00:30:00,51.0");
  EXPECT_EQ(lines.size(), 49);
}

TEST_F(DownloaderTest, PrfBlocksFillTheirSecondsAndRunIntoTheNextDay) {
  // Today 31 March, so that 1 April is no date in the future.
  qmclock::SetSource([] { return QDateTime(QDate(2024, 3, 31), QTime(15, 0)); });
  ASSERT_TRUE(Rx("prf&2024&3&7&12:00:00&651,652"));
  ASSERT_TRUE(Rx("prf&2024&3&31&23:59:59&700,701,702"));  // past midnight: 1 April
  ASSERT_TRUE(Rx("prf&2024&3&31&.end&0"));
  const QStringList day = FileLines(Month() + "prf-07.csv");
  ASSERT_EQ(day.size(), 86401);
  EXPECT_EQ(day[43201], "12:00:00,65.1");
  EXPECT_EQ(day[43202], "12:00:01,65.2");
  EXPECT_EQ(day[43203], "12:00:02,-");
  EXPECT_EQ(FileLines(Month() + "prf-31.csv")[86400], "23:59:59,70.0");
  const QStringList april = FileLines(Month("2024-04") + "prf-01.csv");
  ASSERT_EQ(april.size(), 86401);
  EXPECT_EQ(april[1], "00:00:00,70.1");
  EXPECT_EQ(april[2], "00:00:01,70.2");
}

TEST_F(DownloaderTest, PrfErrorsKeepTheValuesBeforeTheBadOne) {
  Rx("prf&2024&3&7&.hdr&x");
  Rx("prf&2024&3&7&00:00:00&500,abc,600");
  Rx("prf&2024&3&7&0x:00:00&500");
  Rx("prf&2024&3&7&01:00:00&510,,530");        // an empty value does not shift the later ones
  Rx("prf&2024&3&7& 02:00:00&520 , 521 522");  // blanks separate too
  Rx("prf&2024&3&7&.end&0");
  const QStringList day = FileLines(Month() + "prf-07.csv");
  ASSERT_EQ(day.size(), 86401);
  EXPECT_EQ(day[0], ".hdr");
  EXPECT_EQ(day[1], "00:00:00,50.0");
  EXPECT_EQ(day[2], "00:00:01,-");
  EXPECT_EQ(day.mid(3601, 3), QStringList({"01:00:00,51.0", "01:00:01,-", "01:00:02,-"}));
  EXPECT_EQ(day.mid(7201, 3), QStringList({"02:00:00,52.0", "02:00:01,52.1", "02:00:02,52.2"}));
  EXPECT_TRUE(LogHas("Error translating PRF to: " + Month() + "prf-07.csv"));
}

TEST_F(DownloaderTest, AlarmAndCalibrationRowsAndHeaders) {
  Rx("alm&2024&3&7&a;b;");
  Rx("alm&2024&3&7&.late header");
  Rx("cal&2024&3&7&.early header");
  Rx("cal&2024&3&7&06:00:00,94.0");
  Rx("alm&2024&3&7&.end");
  Rx("cal&2024&3&7&.end");
  EXPECT_EQ(FileLines(Month() + "alm-07.csv"), QStringList({".late header", "b", ""}));
  EXPECT_EQ(FileLines(Month() + "cal-07.csv"), QStringList({".early header", "06:00:00,94.0"}));
}

TEST_F(DownloaderTest, TwoDaysInOneDownloadAreWrittenAtTheRightMoments) {
  client.bAlmDownload = true;
  Rx("alm&2024&3&6&10:00:00,5,70.0");
  EXPECT_FALSE(QFile::exists(Month() + "alm-06.csv"));
  Rx("alm&2024&3&7&11:00:00,5,71.0");
  EXPECT_EQ(FileLines(Month() + "alm-06.csv"), QStringList{"10:00:00,5,70.0"});
  EXPECT_FALSE(QFile::exists(Month() + "alm-07.csv"));
  Rx("alm&2024&3&7&.end");
  EXPECT_EQ(FileLines(Month() + "alm-07.csv"), QStringList{"11:00:00,5,71.0"});
  EXPECT_FALSE(client.bAlmDownload);
  EXPECT_EQ(window.calls.last(), "idle");
}

TEST_F(DownloaderTest, EndMarkerWithNoFileOpenOnlyClearsTheFlag) {
  client.bCalDownload = true;
  ASSERT_TRUE(Rx("cal&2024&3&7&.end"));
  EXPECT_FALSE(client.bCalDownload);
  EXPECT_FALSE(QDir(client.Folder() + "/2024-03").exists());
}

TEST_F(DownloaderTest, RepliesThatCannotBeStoredGetTheErrorReply) {
  const char* bad[] = {
      "per&2024&2&30&15&10:00:00,1",
      "per&2024&3&7&0&10:00:00,1",
      "per&2024&3&7&7&10:00:00,1",
      "per&x&3&7&15&10:00:00,1",
      "alm&2024&13&1&a",
      "alm&2024&3&7",
      "cal&2024&3&7",
      "prf&0&1&1&00:00:00&1",
      "per&2024&3&32&15&.end",
  };
  for (const char* line : bad) EXPECT_FALSE(Rx(line)) << line;
  EXPECT_FALSE(QDir(client.Folder()).exists());
  // A connection that has not identified itself has no folder: its replies would land in the
  // data path itself.
  const QString dataPath = sup.Cfg().DataPath();
  client.sID.clear();
  for (const char* line : {"per&2024&3&7&15&10:00:00,1", "alm&2024&3&7&a", "cal&2024&3&7&b",
                           "prf&2024&3&7&00:00:00&1", "alm&2024&3&7&.end"})
    EXPECT_FALSE(Rx(line)) << line;
  EXPECT_FALSE(QDir(dataPath + "2024-03").exists());
}

}  // namespace
