#include "core/EventLog.h"
#include "core/IniFile.h"
#include "core/StorageQueue.h"
#include "core/TRunstat.h"
#include "core/TermCfgWrite.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

using Entries = QList<std::pair<QString, QString>>;

class TermCfgWriteTest : public ::testing::Test {
 protected:
  bool Logged(const QString& text) const {
    for (const QString& l : log.Lines())
      if (l.contains(text)) return true;
    return false;
  }
  QTemporaryDir dir;
  TRunstat runstat{{"prog"}, "/p/", dir.path() + "/"};
  TEventLog log{&runstat};
};

TEST_F(TermCfgWriteTest, QueuedWritesLeaveTheCallerAndLandInOrderWithEveryKey) {
  qputenv("QMSV_STORAGE_DELAY_MS", "40");  // a slow disk: the caller must not wait for it
  TStorageQueue queue;
  qunsetenv("QMSV_STORAGE_DELAY_MS");
  const QString folder = dir.path() + "/M1";
  qmfolder::WriteTermCfg(&queue, folder, "head", Entries{{"id", "M1"}, {"name", "North"}});
  qmfolder::WriteTermCfg(&queue, folder, "win", Entries{{"xrel", "100"}});
  qmfolder::WriteTermCfg(&queue, folder, "head", Entries{{"name", "South"}});
  EXPECT_FALSE(QFile::exists(folder + "/term.cfg"));
  ASSERT_TRUE(queue.WaitIdle(10000));
  const IniFile ini(folder + "/term.cfg");
  EXPECT_EQ(ini.ReadString("head", "id", ""), "M1");
  EXPECT_EQ(ini.ReadString("head", "name", ""), "South");
  EXPECT_EQ(ini.ReadInteger("win", "xrel", -1), 100);
  EXPECT_FALSE(Logged("Failed to write"));
}

TEST_F(TermCfgWriteTest, AFolderThatCannotBeMadeIsLoggedWithThePath) {
  QFile blocker(dir.path() + "/file");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QString folder = dir.path() + "/file/M1";
  TStorageQueue queue;
  qmfolder::WriteTermCfg(&queue, folder, "head", Entries{{"id", "M1"}});
  ASSERT_TRUE(queue.WaitIdle(10000));
  EXPECT_TRUE(Logged("Failed to write " + folder + "/term.cfg"));
  qmfolder::WriteTermCfg(nullptr, folder, "head", Entries{{"id", "M1"}});
  EXPECT_EQ(std::count_if(log.Lines().begin(), log.Lines().end(),
                          [](const QString& l) { return l.contains("Failed to write"); }),
            2);
}

}  // namespace
