#include "core/Clock.h"
#include "download/TDownloader.h"
#include "support/SupervisorFixture.h"

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
  TDTClient* rec = Record("NG");
  // The alarm download is under way: one row arrives 200 s after the request.
  now = now.addSecs(200);
  ng->Send("alm&2024&3&6&10:00:00,5,70.0\n");
  ASSERT_TRUE(qmtest::WaitFor([&] { return !rec->sAlmFile.isEmpty(); }));
  // The next tick, a little early: the quiet downloads are asked again, the alarm one is not.
  now = now.addMSecs(99500);
  sup->Downloader().DownloadAll();
  EXPECT_EQ(ng->ReadLines(2),
            Lines({"getper&2016-09-09 00:00:00&5", "getprf&2016-09-09 00:00:00"}));
  EXPECT_TRUE(ng->ReadFor(250).isEmpty());
  // Nothing more came: every download is lost, a monitor without end markers is asked each
  // cycle.
  now = now.addMSecs(299500);
  sup->Downloader().DownloadAll();
  EXPECT_EQ(ng->ReadLines(3), Lines({"getper&2016-09-09 00:00:00&5", "getalm&2016-09-09 00:00:00",
                                     "getprf&2016-09-09 00:00:00"}));
  // The fresh alarm download sends the row again: it is stored once.
  ng->Send("alm&2024&3&6&10:00:00,5,70.0\n");
  ng->Send("alm&2024&3&6&.end\n");
  ASSERT_TRUE(qmtest::WaitFor([&] { return !rec->bAlmDownload; }));
  QFile file(rec->Folder() + "/2024-03/alm-06.csv");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "10:00:00,5,70.0\r\n");
}

TEST_F(DownloadRequestsTest, ACycleStartsAfterRowsWhoseWriteIsStillPending) {
  TearDown();
  qputenv("QMSV_STORAGE_DELAY_MS", "500");  // a slow disk
  SetUp();
  qunsetenv("QMSV_STORAGE_DELAY_MS");
  Lines after;
  auto ng = Identify("cpng&NG&n&d&m", &after, 6);
  ng->Send("alm&2024&3&6&10:00:00,5,70.0;10:00:05,5,71.0\nalm&2024&3&6&.end\n");
  TDTClient* rec = Record("NG");
  ASSERT_TRUE(qmtest::WaitFor([&] { return !rec->bAlmDownload; }));
  ASSERT_GT(sup->Downloader().PendingWrites(), 0);
  now = now.addSecs(300);
  sup->Downloader().DownloadAll();
  EXPECT_EQ(ng->ReadLines(3), Lines({"getper&2016-09-09 00:00:00&5", "getalm&2024-03-06 10:00:06",
                                     "getprf&2016-09-09 00:00:00"}));
}

}  // namespace
