#include "download/TDownloader.h"
#include "support/SupervisorFixture.h"

#include <QDir>
#include <QFile>

namespace {

using Lines = QList<QByteArray>;

// The data path lies under a plain file, so it cannot be created until the file goes.
class DataPathMissingTest : public SupervisorFixture {
 protected:
  void SetUp() override {
    blocker = dir.path() + "/blocker";
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    settings = {{"app/datapath", blocker + "/data"}};
    SupervisorFixture::SetUp();
  }
  int LogCount(const QString& text) {
    int n = 0;
    for (const QString& l : sup->Log().Lines()) n += l.contains(text) ? 1 : 0;
    return n;
  }
  QString blocker;
};

TEST_F(DataPathMissingTest, ServesWithoutDownloadsAndResumesWhenThePathCanBeMade) {
  sup->LogStartup();
  EXPECT_EQ(LogCount("Failed to create data path: " + blocker + "/data/"), 1);
  EXPECT_EQ(ui.storage, QStringList{"Data cannot be stored: no data path"});
  Lines after;
  auto ng = Identify("cpng&NG&n&d&m", &after, 3);  // served as usual
  EXPECT_TRUE(ng->ReadFor(300).isEmpty()) << "no download requested";
  sup->Downloader().DownloadAll();
  EXPECT_TRUE(ng->ReadFor(200).isEmpty());
  EXPECT_EQ(LogCount("Failed to create data path"), 1);

  ASSERT_TRUE(QFile::remove(blocker));  // the drive is back
  sup->Downloader().DownloadAll();
  EXPECT_EQ(ng->ReadLines(3).size(), 3);
  EXPECT_TRUE(QDir(blocker + "/data").exists());
  EXPECT_EQ(ui.storage.last(), "");
  EXPECT_EQ(sup->Cfg().DataPath(), blocker + "/data/");
}

}  // namespace
