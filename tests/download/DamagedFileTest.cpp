#include "DownloaderFixture.h"

namespace {

QStringList PerTemplate(int period) {
  QStringList list;
  qmfiles::InitPerFile(list, period);
  return list;
}

QStringList PrfTemplate() {
  QStringList list;
  qmfiles::InitPrfFile(list);
  return list;
}

TEST_F(DownloaderTest, EmptyFilesCountAsMissing) {
  Write("2024-03/prf-07.csv", {});
  Write("2024-03/per-07-0015.csv", {});
  ASSERT_TRUE(Rx("prf&2024&3&7&12:00:00&651"));
  ASSERT_TRUE(Rx("prf&2024&3&7&.end&0"));
  ASSERT_TRUE(Rx("per&2024&3&7&15&10:17:30,65.4"));
  ASSERT_TRUE(Rx("per&2024&3&7&15&.end"));
  const QStringList prf = FileLines(Month() + "prf-07.csv");
  ASSERT_EQ(prf.size(), 86401);
  EXPECT_EQ(prf[43201], "12:00:00,65.1");
  const QStringList per = FileLines(Month() + "per-07-0015.csv");
  ASSERT_EQ(per.size(), 97);
  EXPECT_EQ(per[42], "10:17:30,65.4");
  EXPECT_FALSE(QFile::exists(Month() + "prf-07.csv.damaged"));
  EXPECT_FALSE(LogHas("Damaged file"));
}

TEST_F(DownloaderTest, DamagedFilesAreRebuiltIntoAFreshTemplateAndKept) {
  QStringList shortPrf = PrfTemplate().mid(0, 1000);
  shortPrf[0] = ".prf header";
  shortPrf[5] = "00:00:04,55.0";
  Write("2024-03/prf-07.csv", shortPrf);

  QStringList shortPer = PerTemplate(15).mid(0, 10);
  shortPer[2] = "00:15:00,50.0";
  Write("2024-03/per-07-0015.csv", shortPer);

  QStringList garbled = PerTemplate(30);
  garbled[3] = "garbage";
  garbled[4] = "01:30:00,51.0";
  garbled[5] = "00:10:00,52.0";  // out of its slot's order
  Write("2024-03/per-07-0030.csv", garbled);

  ASSERT_TRUE(Rx("prf&2024&3&7&12:00:00&651"));
  ASSERT_TRUE(Rx("prf&2024&3&7&.end&0"));
  ASSERT_TRUE(Rx("per&2024&3&7&15&10:17:30,65.4"));
  ASSERT_TRUE(Rx("per&2024&3&7&15&.end"));
  ASSERT_TRUE(Rx("per&2024&3&7&30&10:00:00,66.0"));
  ASSERT_TRUE(Rx("per&2024&3&7&30&.end"));

  const QStringList prf = FileLines(Month() + "prf-07.csv");
  ASSERT_EQ(prf.size(), 86401);
  EXPECT_EQ(prf[0], ".prf header");
  EXPECT_EQ(prf[5], "00:00:04,55.0");
  EXPECT_EQ(prf[6], "00:00:05,-");
  EXPECT_EQ(prf[43201], "12:00:00,65.1");
  EXPECT_EQ(FileLines(Month() + "prf-07.csv.damaged"), shortPrf);

  const QStringList per = FileLines(Month() + "per-07-0015.csv");
  ASSERT_EQ(per.size(), 97);
  EXPECT_EQ(per[2], "00:15:00,50.0");
  EXPECT_EQ(per[42], "10:17:30,65.4");
  EXPECT_EQ(per[10], "02:15:00,-");
  EXPECT_EQ(FileLines(Month() + "per-07-0015.csv.damaged"), shortPer);

  const QStringList per30 = FileLines(Month() + "per-07-0030.csv");
  ASSERT_EQ(per30.size(), 49);
  EXPECT_EQ(per30[1], "00:10:00,52.0");  // the row that was out of order finds its slot
  EXPECT_EQ(per30[3], "01:00:00,-");
  EXPECT_EQ(per30[4], "01:30:00,51.0");
  EXPECT_EQ(per30[21], "10:00:00,66.0");
  EXPECT_EQ(FileLines(Month() + "per-07-0030.csv.damaged"), garbled);

  const QString path = Month() + "per-07-0030.csv";
  EXPECT_EQ(LogCount("Damaged file rebuilt: " + path + " (kept as " + path + ".damaged)"), 1);
}

TEST_F(DownloaderTest, AnEarlierDamagedCopyIsNeverOverwritten) {
  Write("2024-03/prf-07.csv.damaged", {"first"});
  Write("2024-03/prf-07.csv", {".", "garbage"});
  ASSERT_TRUE(Rx("prf&2024&3&7&12:00:00&651"));
  ASSERT_TRUE(Rx("prf&2024&3&7&.end&0"));
  EXPECT_EQ(FileLines(Month() + "prf-07.csv.damaged"), QStringList{"first"});
  EXPECT_EQ(FileLines(Month() + "prf-07.csv.damaged-2"), QStringList({".", "garbage"}));
  EXPECT_EQ(FileLines(Month() + "prf-07.csv").size(), 86401);
}

}  // namespace
