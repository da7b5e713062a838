#include "DownloaderFixture.h"

namespace {

// A record with a control character inside: bare CR, NUL, tab, DEL.
QString WithControls(const QString& before, const QString& after) {
  return before + QChar(u'\r') + QChar(u'\0') + QChar(u'\t') + QChar(u'\x7f') + after;
}

TEST_F(DownloaderTest, ControlCharactersInStoredRecordsBecomeQuestionMarks) {
  ASSERT_TRUE(Rx("per&2024&3&7&60&" + WithControls("10:00:00,65.4", ",70.1")));
  ASSERT_TRUE(Rx("per&2024&3&7&60&" + WithControls(".time", ",laeq")));
  ASSERT_TRUE(Rx("per&2024&3&7&60&.end"));
  const QStringList per = FileLines(Month() + "per-07-0060.csv");
  EXPECT_EQ(per[0], ".time????,laeq");
  EXPECT_EQ(per[11], "10:00:00,65.4????,70.1");

  ASSERT_TRUE(Rx("alm&2024&3&7&" + WithControls("14:03:27,3,7", "0.0;14:05:00,1,60.0")));
  ASSERT_TRUE(Rx("alm&2024&3&7&.end"));
  EXPECT_EQ(FileLines(Month() + "alm-07.csv"),
            QStringList({"14:03:27,3,7????0.0", "14:05:00,1,60.0"}));

  ASSERT_TRUE(Rx("cal&2024&3&7&" + WithControls("09:00:00,94", ".0")));
  ASSERT_TRUE(Rx("cal&2024&3&7&.end"));
  EXPECT_EQ(FileLines(Month() + "cal-07.csv"), QStringList({"09:00:00,94????.0"}));

  ASSERT_TRUE(Rx("prf&2024&3&7&" + WithControls(".a", "b") + "&0"));
  ASSERT_TRUE(Rx("prf&2024&3&7&.end&0"));
  EXPECT_EQ(FileLines(Month() + "prf-07.csv")[0], ".a????b");
}

TEST(RecordText, ControlsBecomeQuestionMarksAndTheRestStays) {
  EXPECT_EQ(qmfiles::CleanRecord(QString("a") + QChar(u'\x1f') + QChar(u' ') + QChar(u'~') +
                                 QChar(u'\x7f') + QChar(u'\xe9')),
            QString("a? ~?") + QChar(u'\xe9'));
  EXPECT_EQ(qmfiles::CleanRecord("10:00:00,65.4"), "10:00:00,65.4");
}

}  // namespace
