#include "dialogs/NetStick.h"
#include "dialogs/TformNetStick.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace qmstick;

class FakeDrives : public qmplatform::IDrives {
 public:
  QList<qmplatform::MountedDrive> Mounted() const override { return drives; }
  QList<qmplatform::MountedDrive> drives;
};

QByteArray Read(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll();
}

TEST(NetStickFiles, ContentOfTheThreeFiles) {
  EXPECT_EQ(CnxBytes({"Home", "Yard"}, {"secret", "p=s&w"}),
            "ssid=Home\r\npsk=secret\r\nssid=Yard\r\npsk=p=s&w\r\n");
  EXPECT_EQ(CnxBytes({"Open"}, {""}), "ssid=Open\r\npsk=\r\n");
  EXPECT_EQ(CnxBytes({}, {}), "");
  EXPECT_EQ(IpBytes("192.168.0.5", "53941"), "ip=192.168.0.5\r\nport=53941\r\n");
  EXPECT_EQ(IpBytes("", ""), "ip=\r\nport=\r\n");
  EXPECT_EQ(ServiceBytes(), "service mode\r\n");
  // 8-bit text without a byte-order mark.
  EXPECT_EQ(CnxBytes({QString::fromUtf8("Caf\u00e9")}, {"x"}), "ssid=Caf\xe9\r\npsk=x\r\n");
}

TEST(NetStickFiles, ServerFieldChecks) {
  const struct {
    const char* ip;
    const char* port;
    TFieldCheck result;
  } cases[] = {
      {"", "", TFieldCheck::Ok},
      {"192.168.0.5", "53941", TFieldCheck::Ok},
      {"192.168.0.5", "0", TFieldCheck::Ok},
      {"192.168.0.5", "65535", TFieldCheck::Ok},
      {"192.168.0", "53941", TFieldCheck::BadServerIP},
      {"192.168.0", "x", TFieldCheck::BadServerIP},
      {"", "65536", TFieldCheck::BadServerPort},
      {"", "-1", TFieldCheck::BadServerPort},
      {"", "53 941", TFieldCheck::BadServerPort},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckServerFields(c.ip, c.port), c.result) << c.ip << " " << c.port;
}

class StickFixture : public ::testing::Test {
 protected:
  void SetUp() override { drives.drives = {{"/", false}, {stick.path(), true}}; }
  QString File(const char* name) const { return stick.path() + "/" + name; }
  void Put(const char* name, const QByteArray& bytes) {
    QFile f(File(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QTemporaryDir stick;
  FakeDrives drives;
};

TEST_F(StickFixture, UncheckedFilesAreDeleted) {
  for (const char* name : {kCnxFile, kIpFile, kServiceFile}) Put(name, "old\r\n");
  EXPECT_TRUE(WriteStick(stick.path(), {}, drives));
  EXPECT_TRUE(QDir(stick.path()).isEmpty());
}

TEST_F(StickFixture, EachFileIsAttemptedWhenOneFails) {
  ASSERT_TRUE(QDir(stick.path()).mkpath(QString(kCnxFile) + "/in-the-way"));
  TStickContent content;
  content.bNetwork = content.bServer = content.bService = true;
  EXPECT_FALSE(WriteStick(stick.path(), content, drives));
  EXPECT_EQ(Read(File(kIpFile)), "ip=\r\nport=\r\n");
  EXPECT_EQ(Read(File(kServiceFile)), "service mode\r\n");
}

TEST_F(StickFixture, AStickGoneFromItsMountPointIsNotWritten) {
  Put(kIpFile, "old\r\n");
  drives.drives = {{"/", false}};  // pulled: the folder is the PC's own disk now
  TStickContent content;
  content.bService = true;
  EXPECT_FALSE(WriteStick(stick.path(), content, drives));
  EXPECT_EQ(QDir(stick.path()).entryList(QDir::Files), QStringList{kIpFile});
  EXPECT_EQ(Read(File(kIpFile)), "old\r\n");
}

TEST_F(StickFixture, DriveWatchRebuildsOnACountChangeOnly) {
  TDriveWatch watch(drives);
  EXPECT_TRUE(watch.Check());
  EXPECT_EQ(watch.Removable(), QStringList{stick.path()});
  EXPECT_FALSE(watch.Check());
  drives.drives[1].root = "/media/other";  // one stick swapped for another between checks
  EXPECT_FALSE(watch.Check());
  EXPECT_EQ(watch.Removable(), QStringList{stick.path()});
  drives.drives << qmplatform::MountedDrive{"/media/second", true};
  EXPECT_TRUE(watch.Check());
  EXPECT_EQ(watch.Removable(), QStringList({"/media/other", "/media/second"}));
  EXPECT_EQ(watch.nLastDrives, 3);
}

class NetStickDialog : public StickFixture {
 protected:
  void SetUp() override {
    StickFixture::SetUp();
    dialog = std::make_unique<TformNetStick>(drives, "127.0.0.1", 53941);
    dialog->showError = [this](const QString& t) { errors << t; };
    dialog->showInfo = [this](const QString& t) { infos << t; };
    dialog->show();
  }
  void AddNetwork(const QString& name, const QString& psk) {
    QTest::keyClicks(dialog->editNetName, name);
    QTest::keyClicks(dialog->editNetPsk, psk);
    QTest::mouseClick(dialog->btnAdd, Qt::LeftButton);
  }
  void Create() { QTest::mouseClick(dialog->btnCreate, Qt::LeftButton); }

  std::unique_ptr<TformNetStick> dialog;
  QStringList errors;
  QStringList infos;
};

TEST_F(NetStickDialog, StartsWithDefaultsAndSectionsOff) {
  EXPECT_EQ(dialog->editServerIP->text(), "127.0.0.1");
  EXPECT_EQ(dialog->editServerPort->text(), "53941");
  EXPECT_FALSE(dialog->panelNetwork->isEnabled());
  EXPECT_FALSE(dialog->panelServer->isEnabled());
  EXPECT_FALSE(dialog->lblService->isEnabled());
  EXPECT_EQ(dialog->comboDrives->count(), 1);
  EXPECT_EQ(dialog->comboDrives->currentText(), stick.path());
  EXPECT_EQ(dialog->lblMemStick->text(), "Select Memory Stick");
  EXPECT_TRUE(dialog->btnCreate->isEnabled());

  dialog->chkNetwork->click();
  EXPECT_TRUE(dialog->panelNetwork->isEnabled());
  EXPECT_FALSE(dialog->btnAdd->isEnabled());
  QTest::keyClicks(dialog->editNetName, "N");
  EXPECT_TRUE(dialog->btnAdd->isEnabled());  // the password may stay empty
  dialog->chkServerIP->click();
  dialog->chkService->click();
  EXPECT_TRUE(dialog->panelServer->isEnabled());
  EXPECT_TRUE(dialog->lblService->isEnabled());
}

TEST_F(NetStickDialog, NetworksInTheOrderAddedAndThePendingOneLast) {
  dialog->chkNetwork->click();
  AddNetwork("Home", "secret");
  AddNetwork("Open", "");
  EXPECT_EQ(dialog->listboxNetworks->count(), 2);
  EXPECT_EQ(dialog->editNetName->text(), "");
  EXPECT_FALSE(dialog->btnAdd->isEnabled());
  QTest::keyClicks(dialog->editNetName, "Late");
  QTest::keyClicks(dialog->editNetPsk, "k=v");
  Create();
  EXPECT_EQ(infos, QStringList{"Memory stick created"});
  EXPECT_TRUE(errors.isEmpty());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(Read(File(kCnxFile)),
            "ssid=Home\r\npsk=secret\r\nssid=Open\r\npsk=\r\nssid=Late\r\npsk=k=v\r\n");
  EXPECT_EQ(Read(File(kIpFile)), "<missing>");
  EXPECT_EQ(Read(File(kServiceFile)), "<missing>");
}

TEST_F(NetStickDialog, EmptyListClearedListAndEmptyServerFields) {
  dialog->chkNetwork->click();
  AddNetwork("Gone", "x");
  QTest::mouseClick(dialog->btnClearList, Qt::LeftButton);
  EXPECT_TRUE(dialog->slNetName.isEmpty() && dialog->slNetPsk.isEmpty());
  dialog->chkServerIP->click();
  dialog->editServerIP->clear();
  dialog->editServerPort->clear();
  dialog->chkService->click();
  Create();
  EXPECT_EQ(infos, QStringList{"Memory stick created"});
  EXPECT_EQ(Read(File(kCnxFile)), "");
  EXPECT_EQ(Read(File(kIpFile)), "ip=\r\nport=\r\n");
  EXPECT_EQ(Read(File(kServiceFile)), "service mode\r\n");
}

TEST_F(NetStickDialog, InvalidServerFieldsStopBeforeWritingEvenWhenUnchecked) {
  dialog->chkService->click();
  dialog->editServerIP->setText("192.168.0");
  Create();
  EXPECT_EQ(errors, QStringList{"Not a valid Server IP"});
  dialog->chkServerIP->click();  // a disabled field cannot take the focus
  Create();
  EXPECT_EQ(errors.size(), 2);
  EXPECT_EQ(dialog->focusWidget(), dialog->editServerIP);
  dialog->chkServerIP->click();
  dialog->editServerIP->setText("192.168.0.2");
  dialog->editServerPort->setText("65536");
  Create();
  EXPECT_EQ(errors.last(), "Not a valid Server Port");
  EXPECT_TRUE(QDir(stick.path()).isEmpty());
  EXPECT_TRUE(infos.isEmpty());
}

TEST_F(NetStickDialog, AFailedWriteKeepsTheDialogOpen) {
  dialog->chkNetwork->click();
  dialog->chkService->click();
  ASSERT_TRUE(QDir(stick.path()).mkpath(QString(kCnxFile) + "/in-the-way"));
  Create();
  EXPECT_EQ(errors, QStringList{"Failed to create necessary files on memory stick"});
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(Read(File(kServiceFile)), "service mode\r\n");  // the files written stay
}

TEST_F(NetStickDialog, AReadOnlyStickGivesTheFailureBox) {
  dialog->chkService->click();
  QFile::setPermissions(stick.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  const bool permissionsHold = !QFile(File("probe")).open(QIODevice::WriteOnly);
  QFile::remove(File("probe"));
  if (permissionsHold) {
    Create();
    EXPECT_EQ(errors, QStringList{"Failed to create necessary files on memory stick"});
  }
  QFile::setPermissions(stick.path(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  if (!permissionsHold) GTEST_SKIP() << "permissions do not hold for this user";
}

TEST_F(NetStickDialog, StickPulledAfterTheDriveCheck) {
  dialog->chkService->click();
  drives.drives.removeLast();  // gone, and the next check has not run yet
  Create();
  EXPECT_EQ(errors, QStringList{"Failed to create necessary files on memory stick"});
  EXPECT_TRUE(QDir(stick.path()).isEmpty());
}

TEST_F(NetStickDialog, DriveListFollowsTheDriveCount) {
  drives.drives.removeLast();
  dialog->timerDrivesTimer();
  EXPECT_EQ(dialog->comboDrives->count(), 0);
  EXPECT_EQ(dialog->lblMemStick->text(), "Insert a USB Memory Stick");
  EXPECT_FALSE(dialog->btnCreate->isEnabled());
  EXPECT_FALSE(dialog->comboDrives->isEnabled());
  drives.drives << qmplatform::MountedDrive{"/media/a", true}
                << qmplatform::MountedDrive{"/media/b", true};
  dialog->timerDrivesTimer();
  EXPECT_EQ(dialog->comboDrives->count(), 2);
  EXPECT_EQ(dialog->comboDrives->currentText(), "/media/a");
  EXPECT_TRUE(dialog->btnCreate->isEnabled());
  EXPECT_TRUE(dialog->timerDrives.isActive());
  EXPECT_EQ(dialog->timerDrives.interval(), 1000);
}

}  // namespace
