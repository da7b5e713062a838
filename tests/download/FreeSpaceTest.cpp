#include "core/Clock.h"
#include "download/StorageGuard.h"
#include "download/TDownloader.h"
#include "platform/DiskSpace.h"
#include "support/SupervisorFixture.h"

#include <QDir>

namespace {

using Lines = QList<QByteArray>;
constexpr qint64 kMiB = qint64(1) << 20;
constexpr qint64 kGiB = qint64(1) << 30;

TEST(StorageGuard, LowSpaceIsUnderOneGibOrTwoPercentWhicheverIsSmaller) {
  const struct {
    qint64 available, total;
    bool low;
  } cases[] = {
      {1023 * kMiB, 1000 * kGiB, true},
      {kGiB, 1000 * kGiB, false},
      {199 * kMiB, 10 * kGiB, true},
      {210 * kMiB, 10 * kGiB, false},
      {0, 0, false},
      {-1, -1, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TStorageGuard::LowSpace({c.available, c.total}), c.low)
        << c.available << " " << c.total;
}

class FreeSpaceTest : public SupervisorFixture {
 protected:
  void SetUp() override {
    qmclock::SetSource([] { return QDateTime(QDate(2024, 3, 7), QTime(15, 0)); });
    qmplatform::SetDiskSpaceSource([this](const QString&) { return space; });
    SupervisorFixture::SetUp();
  }
  void TearDown() override {
    SupervisorFixture::TearDown();
    qmplatform::SetDiskSpaceSource({});
    qmclock::SetSource({});
  }
  qmplatform::DiskSpace space{500 * kMiB, 1000 * kGiB};
};

TEST_F(FreeSpaceTest, NothingIsRequestedOrStoredUntilSpaceReturns) {
  Lines after;
  auto ng = Identify("cpng&NG&n&d&m", &after, 3);
  EXPECT_TRUE(ng->ReadFor(300).isEmpty()) << "no download requested";
  ng->Send("prf&2024&3&7&12:00:00&651\nprf&2024&3&7&.end&0\n");
  EXPECT_TRUE(ng->ReadFor(300).isEmpty()) << "no error reply either";
  EXPECT_FALSE(QFile::exists(DataPath() + "NG/2024-03/prf-07.csv"));
  sup->Downloader().DownloadAll();  // a cycle with the disk still full
  EXPECT_TRUE(ng->ReadFor(200).isEmpty());
  int logged = 0;
  for (const QString& l : sup->Log().Lines()) logged += l.contains("Low disk space") ? 1 : 0;
  EXPECT_EQ(logged, 1);
  EXPECT_EQ(ui.storage, QStringList{"Data cannot be stored: disk full"});

  space = {100 * kGiB, 1000 * kGiB};
  sup->Downloader().DownloadAll();
  EXPECT_EQ(ng->ReadLines(3), Lines({"getper&2016-09-09 00:00:00&5", "getalm&2016-09-09 00:00:00",
                                     "getprf&2016-09-09 00:00:00"}));
  EXPECT_TRUE(LogHas("Data path usable again, downloads resume: " + DataPath()));
  EXPECT_EQ(ui.storage.last(), "");
  ng->Send("prf&2024&3&7&12:00:00&651\nprf&2024&3&7&.end&0\n");
  EXPECT_TRUE(qmtest::WaitFor([&] { return QFile::exists(DataPath() + "NG/2024-03/prf-07.csv"); }));
}

}  // namespace
