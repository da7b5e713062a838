#include "DownloaderFixture.h"

#include <cmath>
#include <limits>

namespace {

TEST(PrfValue, LevelsOutsideTheRangeOrNotFiniteLeaveTheSlotEmpty) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double leq;
    const char* row;
  } cases[] = {
      {65.1, "00:00:05,65.1"},      {250.0, "00:00:05,250.0"}, {-50.0, "00:00:05,-50.0"},
      {250.1, "00:00:05,-"},        {-50.1, "00:00:05,-"},     {1e307, "00:00:05,-"},
      {-1e307, "00:00:05,-"},       {inf, "00:00:05,-"},       {-inf, "00:00:05,-"},
      {std::nan(""), "00:00:05,-"}, {9.2e17, "00:00:05,-"},
  };
  for (const auto& c : cases) {
    QStringList list;
    qmfiles::InitPrfFile(list);
    const bool stored = qmfiles::PutPrfValue(list, c.leq, 5);
    EXPECT_EQ(list[6], c.row) << c.leq;
    EXPECT_EQ(stored, QString(c.row) != "00:00:05,-") << c.leq;
  }
}

TEST_F(DownloaderTest, HugePrfValuesAreStoredAsEmptySlotsWithOneLogLine) {
  ASSERT_TRUE(Rx("prf&2024&3&7&12:00:00&651,1e308,-1e308,2501,-501,2500,-500,652"));
  ASSERT_TRUE(Rx("prf&2024&3&7&.end&0"));
  const QStringList day = FileLines(Month() + "prf-07.csv");
  ASSERT_EQ(day.size(), 86401);
  const QStringList expected = {"12:00:00,65.1",  "12:00:01,-",   "12:00:02,-",
                                "12:00:03,-",     "12:00:04,-",   "12:00:05,250.0",
                                "12:00:06,-50.0", "12:00:07,65.2"};
  EXPECT_EQ(day.mid(43201, 8), expected);
  EXPECT_EQ(LogCount("Level out of range in PRF to: " + Month() + "prf-07.csv"), 1);
}

TEST_F(DownloaderTest, HugeQuietmarkSePeriodicValuesBecomeEmptyFields) {
  client.sType = "Quietmark-SE";
  ASSERT_TRUE(Rx("per&2024&3&7&60&10:00:00,654,1e308,-9999"));
  ASSERT_TRUE(Rx("per&2024&3&7&60&.end"));
  EXPECT_EQ(FileLines(Month() + "per-07-0060.csv")[11], "10:00:00,65.4,-,-");
  EXPECT_TRUE(LogHas("Level out of range in periodic file: " + Month() + "per-07-0060.csv"));
}

}  // namespace
