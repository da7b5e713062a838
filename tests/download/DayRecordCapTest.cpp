#include "DownloaderFixture.h"

namespace {

TEST_F(DownloaderTest, AlarmDayFileTakesAtMostOneRecordPerSecondOfTheDay) {
  QStringList records;
  for (int s = 0; s < 86400; ++s) records << qmfiles::TimeText(s) + ",1,60.0";
  ASSERT_TRUE(Rx("alm&2024&3&7&.hdr"));
  ASSERT_TRUE(Rx("alm&2024&3&7&" + records.join(';')));
  EXPECT_FALSE(Rx("alm&2024&3&7&23:59:59,2,61.0"));
  EXPECT_FALSE(Rx("alm&2024&3&7&23:59:59,3,62.0;23:59:59,4,63.0"));
  ASSERT_TRUE(Rx("alm&2024&3&6&10:00:00,1,60.0"));  // another day has room
  ASSERT_TRUE(Rx("alm&2024&3&7&.end"));
  const QStringList day = FileLines(Month() + "alm-07.csv");
  EXPECT_EQ(day.size(), 86401);
  EXPECT_EQ(day.last(), "23:59:59,1,60.0");
  EXPECT_EQ(FileLines(Month() + "alm-06.csv"), QStringList{"10:00:00,1,60.0"});
  EXPECT_EQ(LogCount("M1: day file full (86400 records): " + Month() + "alm-07.csv"), 1);
}

TEST_F(DownloaderTest, OverlongAlarmLineKeepsTheRecordsThatFitAndIsRefused) {
  QStringList records;
  for (int s = 0; s < 86402; ++s) records << "10:00:00,1,60.0";
  EXPECT_FALSE(Rx("alm&2024&3&7&" + records.join(';')));
  ASSERT_TRUE(Rx("alm&2024&3&7&.end"));
  EXPECT_EQ(FileLines(Month() + "alm-07.csv").size(), 86400);
}

TEST_F(DownloaderTest, CalibrationDayFileIsCappedToo) {
  client.sType = "Quietmark-SE";
  Write("2024-03/cal-07.csv", QStringList(86400, "09:00:00,94.0"));
  EXPECT_FALSE(Rx("cal&2024&3&7&10:00:00,94.0"));
  ASSERT_TRUE(Rx("cal&2024&3&7&.end"));
  EXPECT_EQ(FileLines(Month() + "cal-07.csv").size(), 86400);
  EXPECT_EQ(LogCount("day file full (86400 records)"), 1);
}

}  // namespace
