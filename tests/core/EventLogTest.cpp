#include "core/Clock.h"
#include "core/EventLog.h"
#include "core/TRunstat.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class EventLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qmclock::SetSource([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)); });
  }
  void TearDown() override { qmclock::SetSource({}); }
  QTemporaryDir dir;
  TRunstat runstat{{"prog"}, "/p/", dir.path() + "/"};
};

TEST_F(EventLogTest, LinesAreStampedAndDebugLinesFollowTheSwitch) {
  LogMsg("dropped: no log yet");
  TEventLog log(&runstat);
  LogMsg("TDTClient.Connect(): M1");
  LogDebug("hidden");
  runstat.bDebugLog = true;
  LogDebug("TDTClient.Connect(): M1");
  ASSERT_EQ(log.Lines().size(), 2u);
  EXPECT_EQ(log.Lines()[0], "2024-03-05 14:07:09> TDTClient.Connect(): M1");
  EXPECT_EQ(log.Lines()[1], "2024-03-05 14:07:09> D> TDTClient.Connect(): M1");
}

TEST_F(EventLogTest, SaveLastRunWritesCrLfLinesAndReplacesTheFile) {
  {
    TEventLog first(&runstat);
    LogMsg("first run");
    ASSERT_TRUE(first.SaveLastRun());
  }
  TEventLog log(&runstat);
  LogMsg("a");
  LogMsg(QString::fromLatin1("b\xe9"));  // outside ASCII: written as 8-bit text
  ASSERT_TRUE(log.SaveLastRun());
  QFile f(dir.path() + "/lastrun.log");
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("2024-03-05 14:07:09> a\r\n2024-03-05 14:07:09> b\xe9\r\n"));
}

TEST_F(EventLogTest, ClearEmptiesAndTheLogIsBounded) {
  TEventLog log(&runstat);
  for (std::size_t i = 0; i < TEventLog::kMaxLines + 5; ++i) log.AddLine(QString::number(i));
  EXPECT_EQ(log.Lines().size(), TEventLog::kMaxLines);
  EXPECT_TRUE(log.Lines().front().endsWith("> 5"));
  log.Clear();
  EXPECT_TRUE(log.Lines().empty());
  LogMsg("after");
  EXPECT_EQ(log.Lines().size(), 1u);
}

}  // namespace
