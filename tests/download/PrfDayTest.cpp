#include "core/PrfDay.h"
#include "core/Text.h"
#include "download/DataFiles.h"
#include "download/PrfFile.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

QStringList Template() {
  QStringList lines;
  qmfiles::InitPrfFile(lines);
  return lines;
}

TEST(PrfDay, ValuesPrintAsTheRowListPrintsThem) {
  const double values[] = {65.4,
                           0.0,
                           -0.0,
                           -0.04,
                           -0.5,
                           -12.3,
                           120.0,
                           249.95,
                           -49.95,
                           65.25,
                           0.05,
                           250,
                           -50,
                           250.04,
                           250.1,
                           1e308,
                           -1e308,
                           std::nan(""),
                           std::numeric_limits<double>::infinity(),
                           33.333333};
  QStringList lines = Template();
  TPrfDay day;
  day.Init();
  int second = 0;
  for (const double v : values) {
    qmfiles::PutPrfValue(lines, v, second);
    day.Put(second, TPrfDay::Encode(v));
    EXPECT_EQ(day.Row(second), lines[second + 1]) << v;
    second += 4000;
  }
  lines[0] = ".time,laeq";
  day.SetHeader(".time,laeq");
  EXPECT_EQ(day.Text(), qmtext::JoinCrLf(lines));
}

TEST(PrfDay, SoundFilesReadBackByteForByteRowsInOtherFormsIncluded) {
  QStringList lines = Template();
  lines[0] = ".time,laeq";
  lines[1] = "00:00:00,65.4";
  lines[2] = "00:00:01,65.43";       // two decimals
  lines[3] = "00:00:02, 65.4";       // a blank
  lines[4] = "00:00:03,65.4,extra";  // a third field
  lines[5] = "00:00:04,0065.4";      // leading zeros
  lines[6] = QString::fromLatin1("00:00:05,\xb0");
  lines[7] = "00:00:06,-0.0";
  lines[8] = "00:00:07,3200.0";
  lines[9] = "00:00:08,3200.1";  // beyond 16 bits
  lines[86400] = "23:59:59,-12.5";
  const QByteArray bytes = qmtext::JoinCrLf(lines);
  const auto day = qmfiles::ParsePrfDay(bytes);
  ASSERT_TRUE(day);
  EXPECT_EQ(day->Text(), bytes);
  EXPECT_EQ(day->Row(1), "00:00:01,65.43");
  EXPECT_EQ(qmfiles::PrfDayFromLines(lines).Text(), bytes);
  // LF-only line ends are read too; the file is written back with CR LF.
  QByteArray lf = bytes;
  lf.replace("\r\n", "\n");
  EXPECT_EQ(qmfiles::ParsePrfDay(lf)->Text(), bytes);
}

TEST(PrfDay, FilesWithoutTheTemplateShapeAreLeftToTheRepair) {
  const QStringList sound = Template();
  QStringList swapped = sound;
  swapped.swapItemsAt(10, 11);
  QStringList noHeader = sound;
  noHeader[0] = "time";
  const QStringList cases[] = {sound.mid(0, 1000), sound + QStringList{"00:00:00,-"}, swapped,
                               noHeader};
  for (const QStringList& lines : cases)
    EXPECT_FALSE(qmfiles::ParsePrfDay(qmtext::JoinCrLf(lines))) << lines.size();
  EXPECT_FALSE(qmfiles::ParsePrfDay(QByteArray()));
}

}  // namespace
