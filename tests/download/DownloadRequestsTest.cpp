#include "../core/SupervisorFixture.h"
#include "core/Clock.h"
#include "download/TDownloader.h"

namespace {

using Lines = QList<QByteArray>;

class DownloadRequestsTest : public SupervisorFixture {
 protected:
  void SetUp() override {
    qmclock::SetSource([this] { return now; });
    SupervisorFixture::SetUp();
  }
  void TearDown() override {
    SupervisorFixture::TearDown();
    qmclock::SetSource({});
  }
  QDateTime now{QDate(2024, 3, 7), QTime(15, 0)};
};

TEST_F(DownloadRequestsTest, RequestsFollowTheTypeAndStartAtTheFloorWithoutFiles) {
  Lines after;
  auto dt = Identify("cpdt&DT", &after, 3);
  EXPECT_TRUE(dt->ReadFor(200).isEmpty());
  auto ng = Identify("cpng&NG&n&d&m", &after, 6);
  EXPECT_EQ(after.mid(3), Lines({"getper&2016-09-09 00:00:00&5", "getalm&2016-09-09 00:00:00",
                                 "getprf&2016-09-09 00:00:00"}));
  auto se = Identify("cpse&SE&n&m", &after, 7);
  EXPECT_EQ(after.mid(3), Lines({"getper&2016-09-09 00:00:00&5", "getalm&2016-09-09 00:00:00",
                                 "getcal&2016-09-09 00:00:00", "getprf&2016-09-09 00:00:00"}));
  EXPECT_TRUE(Record("SE")->Downloading());
  EXPECT_TRUE(ui.windows.back()->calls.contains("downloading"));
}

TEST_F(DownloadRequestsTest, PeriodicDownloadWalksThroughThePeriods) {
  Lines after;
  auto se = Identify("cpse&SE&n&m", &after, 7);
  const int periods[] = {5, 10, 15, 30, 60};
  for (int i = 0; i < 5; ++i) {
    se->Send("per&2024&3&7&" + QByteArray::number(periods[i]) + "&12:00:00,600,700\n");
    se->Send("per&2024&3&7&" + QByteArray::number(periods[i]) + "&.end\n");
    if (i < 4) {
      EXPECT_EQ(se->ReadLines(1),
                Lines{"getper&2016-09-09 00:00:00&" + QByteArray::number(periods[i + 1])});
    }
  }
  EXPECT_TRUE(se->ReadFor(300).isEmpty());
  ASSERT_TRUE(qmtest::WaitFor([&] { return !Record("SE")->bPerDownload; }));
}

TEST_F(DownloadRequestsTest, ACycleLeavesRunningDownloadsAloneUntilTheyGoQuiet) {
  Lines after;
  auto ng = Identify("cpng&NG&n&d&m", &after, 6);
  ng->Send("alm&2024&3&7&.end\n");  // only the alarm download finished
  ASSERT_TRUE(qmtest::WaitFor([&] { return !Record("NG")->bAlmDownload; }));
  now = now.addSecs(120);
  sup->Downloader().DownloadAll();
  EXPECT_EQ(ng->ReadLines(1), Lines{"getalm&2016-09-09 00:00:00"});
  EXPECT_TRUE(ng->ReadFor(250).isEmpty());
  // Five minutes without a reply: the others are taken as lost and asked again; the alarm
  // download asked 290 s ago is still left alone.
  now = now.addSecs(290);
  sup->Downloader().DownloadAll();
  EXPECT_EQ(ng->ReadLines(2),
            Lines({"getper&2016-09-09 00:00:00&5", "getprf&2016-09-09 00:00:00"}));
}

}  // namespace
