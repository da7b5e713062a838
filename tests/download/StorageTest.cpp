#include "DownloaderFixture.h"
#include "core/StorageQueue.h"

#include <sys/resource.h>
#include <csignal>

namespace {

TEST(StorageQueue, JobsOfOneFileAndTheirCompletionsRunInTheOrderPosted) {
  TStorageQueue queue;
  const QString files[] = {"a.csv", "b.csv", "c.csv", "d.csv", "e.csv"};
  std::vector<int> ran[5], completed[5];
  for (int i = 0; i < 200; ++i) {
    const int f = i % 5;
    queue.Post(
        files[f], [&ran, f, i] { ran[f].push_back(i); },
        [&completed, f, i] { completed[f].push_back(i); });
  }
  ASSERT_TRUE(queue.WaitIdle(10000));
  for (int f = 0; f < 5; ++f) {
    std::vector<int> expected;
    for (int i = f; i < 200; i += 5) expected.push_back(i);
    EXPECT_EQ(ran[f], expected);
    EXPECT_EQ(completed[f], expected);
  }
  EXPECT_EQ(queue.Pending(), 0);
}

// Every write waits on the storage thread first, as on a slow disk.
struct SlowDisk {
  SlowDisk() { qputenv("QMSV_STORAGE_DELAY_MS", "40"); }
  ~SlowDisk() { qunsetenv("QMSV_STORAGE_DELAY_MS"); }
};

class SlowStorageTest : public SlowDisk, public DownloaderTest {
 protected:
  // Stores without waiting for the storage thread.
  bool RxNoWait(const QString& line) { return sup.ProcessCmd(client, line); }
};

TEST_F(SlowStorageTest, AFileOpenedAgainWhileItsWriteIsPendingKeepsEveryRow) {
  for (const char* line :
       {"prf&2024&3&7&12:00:00&651", "prf&2024&3&7&.end&0", "prf&2024&3&7&12:00:01&652",
        "prf&2024&3&7&.end&0", "alm&2024&3&7&10:00:00,5,70.0", "alm&2024&3&7&.end",
        "alm&2024&3&7&10:00:01,5,71.0", "alm&2024&3&7&.end", "prf&2024&3&7&12:00:02&653",
        "prf&2024&3&7&.end&0"})
    ASSERT_TRUE(RxNoWait(line));
  EXPECT_GT(sup.Downloader().PendingWrites(), 0);
  EXPECT_FALSE(QFile::exists(Month() + "alm-07.csv"));
  ASSERT_TRUE(sup.Downloader().WaitForStorage(10000));
  EXPECT_EQ(sup.Downloader().PendingWrites(), 0);
  const QStringList prf = FileLines(Month() + "prf-07.csv");
  ASSERT_EQ(prf.size(), 86401);
  EXPECT_EQ(prf.mid(43201, 4),
            QStringList({"12:00:00,65.1", "12:00:01,65.2", "12:00:02,65.3", "12:00:03,-"}));
  EXPECT_EQ(FileLines(Month() + "alm-07.csv"), QStringList({"10:00:00,5,70.0", "10:00:01,5,71.0"}));
}

TEST_F(SlowStorageTest, ShutdownWaitsForEveryPendingWrite) {
  for (int d = 1; d <= 6; ++d) {
    ASSERT_TRUE(RxNoWait(QString("prf&2024&3&%1&08:00:00&600,601").arg(d)));
    ASSERT_TRUE(RxNoWait(QString("per&2024&3&%1&60&08:00:00,60.0").arg(d)));
  }
  ASSERT_TRUE(RxNoWait("prf&2024&3&6&.end&0"));
  ASSERT_TRUE(RxNoWait("per&2024&3&6&60&.end"));
  EXPECT_GT(sup.Downloader().PendingWrites(), 6);
  sup.Shutdown();
  EXPECT_EQ(sup.Downloader().PendingWrites(), 0);
  for (int d = 1; d <= 6; ++d) {
    const QString day = QString("%1").arg(d, 2, 10, QChar('0'));
    EXPECT_EQ(FileLines(Month() + "prf-" + day + ".csv").value(28802), "08:00:01,60.1") << d;
    EXPECT_EQ(FileLines(Month() + "per-" + day + "-0060.csv").value(9), "08:00:00,60.0") << d;
  }
  EXPECT_FALSE(LogHas("not written"));
}

// Writes fail as on a full disk: files may grow to `bytes` at most.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

 private:
  rlimit saved_{};
};

TEST_F(DownloaderTest, AFailedWriteKeepsTheRowsAndLeavesTheOldFileWhole) {
  const QString path = Month() + "prf-07.csv";
  ASSERT_TRUE(Rx("prf&2024&3&7&12:00:00&651"));
  ASSERT_TRUE(Rx("prf&2024&3&7&.end&0"));
  const QByteArray before = FileBytes(path);
  ASSERT_GT(before.size(), 1000000);
  {
    FileSizeLimit full(64 * 1024);
    ASSERT_TRUE(Rx("prf&2024&3&7&12:00:01&652"));
    ASSERT_TRUE(Rx("prf&2024&3&7&.end&0"));
  }
  EXPECT_EQ(LogCount("Failed to save prf file: " + path), 1);
  EXPECT_EQ(FileBytes(path), before);
  EXPECT_EQ(QDir(Month()).entryList(QDir::Files), QStringList{"prf-07.csv"});
  EXPECT_EQ(sup.Downloader().PendingWrites(), 1);
  // The next change writes the kept row with the new one.
  ASSERT_TRUE(Rx("prf&2024&3&7&12:00:02&653"));
  ASSERT_TRUE(Rx("prf&2024&3&7&.end&0"));
  EXPECT_EQ(FileLines(path).mid(43201, 3),
            QStringList({"12:00:00,65.1", "12:00:01,65.2", "12:00:02,65.3"}));
  EXPECT_EQ(sup.Downloader().PendingWrites(), 0);
}

}  // namespace
