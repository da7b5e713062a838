#include "DownloaderFixture.h"

namespace {

// Today is 2024-03-07: records from 2000-01-01 to 2024-03-08 are stored, others refused.
TEST_F(DownloaderTest, RecordDatesOutsideTheRangeGetTheErrorReplyAndNoFolder) {
  const struct {
    const char* line;
    bool stored;
  } cases[] = {
      {"per&1999&12&31&15&10:00:00,1", false}, {"per&2000&1&1&15&10:00:00,1", true},
      {"per&2024&3&8&15&10:00:00,1", true},    {"per&2024&3&9&15&10:00:00,1", false},
      {"alm&1&1&1&10:00:00,1,60.0", false},    {"alm&2024&3&9&10:00:00,1,60.0", false},
      {"cal&9999&12&31&10:00:00,94.0", false}, {"cal&2024&3&8&10:00:00,94.0", true},
      {"prf&9999&12&31&23:59:59&1,2", false},  {"prf&2035&1&1&00:00:00&1", false},
      {"prf&2024&3&8&00:00:00&600", true},
  };
  for (const auto& c : cases) EXPECT_EQ(Rx(c.line), c.stored) << c.line;
  for (const char* month : {"1999-12", "0001-01", "9999-12", "10000-01", "2035-01"})
    EXPECT_FALSE(QDir(client.Folder() + "/" + month).exists()) << month;
  EXPECT_TRUE(LogHas("M1: record date out of range: 2024-03-09"));
}

TEST_F(DownloaderTest, PrfBlockRunningPastTomorrowStopsAtItsEnd) {
  ASSERT_TRUE(Rx("prf&2024&3&8&23:59:59&601,602,603"));
  ASSERT_TRUE(Rx("prf&2024&3&8&.end&0"));
  EXPECT_EQ(FileLines(Month() + "prf-08.csv")[86400], "23:59:59,60.1");
  EXPECT_FALSE(QFile::exists(Month() + "prf-09.csv"));
  EXPECT_TRUE(LogHas("M1: record date out of range: 2024-03-09"));
}

}  // namespace
