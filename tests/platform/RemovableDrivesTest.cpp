#include "platform/RemovableDrives.h"
#include "platform/SyncedFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using qmplatform::LinuxDrives;

// A fake /sys: every device a folder under devices/, reached through dev/block/MAJ:MIN.
class FakeSysfs {
 public:
  FakeSysfs() { QDir(dir.path()).mkpath("dev/block"); }
  void Disk(const QString& name, bool removable) {
    QDir(dir.path()).mkpath("devices/pci/block/" + name);
    Write("devices/pci/block/" + name + "/removable", removable ? "1\n" : "0\n");
  }
  void Device(const QString& numbers, const QString& path) {
    QDir(dir.path()).mkpath("devices/pci/block/" + path);
    QFile::link(dir.path() + "/devices/pci/block/" + path, dir.path() + "/dev/block/" + numbers);
  }
  void Write(const QString& name, const QByteArray& bytes) {
    QFile f(dir.path() + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QString Path(const QString& name) const { return dir.path() + "/" + name; }
  QTemporaryDir dir;
};

TEST(RemovableDrives, RemovableFileSystemsByTheirDiskInMountOrder) {
  FakeSysfs sys;
  sys.Disk("sda", false);
  sys.Device("8:1", "sda/sda1");
  sys.Disk("sdb", true);
  sys.Device("8:17", "sdb/sdb1");
  sys.Disk("sdc", true);
  sys.Device("8:32", "sdc");  // a stick without a partition table
  sys.Write("mountinfo",
            "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
            "23 22 0:21 / /proc rw - proc proc rw\n"
            "40 22 8:17 / /media/ann/MY\\040STICK rw,nosuid shared:9 - vfat /dev/sdb1 rw\n"
            "41 22 8:32 / /media/ann/SECOND rw - exfat /dev/sdc rw\n"
            "garbage line\n");
  const LinuxDrives drives(sys.Path("mountinfo"), sys.dir.path());
  const auto mounted = drives.Mounted();
  ASSERT_EQ(mounted.size(), 4);
  QStringList removable;
  for (const auto& d : mounted)
    if (d.removable) removable << d.root;
  EXPECT_EQ(removable, QStringList({"/media/ann/MY STICK", "/media/ann/SECOND"}));
  EXPECT_TRUE(drives.IsRemovableMount("/media/ann/MY STICK/"));
  EXPECT_FALSE(drives.IsRemovableMount("/"));
  EXPECT_FALSE(drives.IsRemovableMount("/media/ann/GONE"));
}

TEST(RemovableDrives, AnonymousDeviceFoundBySourceAndMissingFilesGiveNothing) {
  FakeSysfs sys;
  sys.Disk("sdd", true);
  QDir(sys.dir.path()).mkpath("class/block");
  QFile::link(sys.Path("devices/pci/block/sdd"), sys.Path("class/block/sdd"));
  sys.Write("mountinfo", "50 22 0:45 / /media/b rw - btrfs /dev/sdd rw\n");
  const LinuxDrives drives(sys.Path("mountinfo"), sys.dir.path());
  ASSERT_EQ(drives.Mounted().size(), 1);
  EXPECT_TRUE(drives.Mounted()[0].removable);
  EXPECT_TRUE(LinuxDrives(sys.Path("none"), sys.dir.path()).Mounted().isEmpty());
}

TEST(SyncedFile, WritesWholeAndFailsInAReadOnlyFolder) {
  QTemporaryDir dir;
  const QString path = dir.path() + "/f";
  ASSERT_TRUE(qmplatform::WriteFileSynced(path, "old"));
  ASSERT_TRUE(qmplatform::WriteFileSynced(path, "a\r\nb\r\n"));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), "a\r\nb\r\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"f"});
  // A name taken by a folder cannot be replaced, whoever runs the test.
  ASSERT_TRUE(QDir(dir.path()).mkpath("taken/inside"));
  EXPECT_FALSE(qmplatform::WriteFileSynced(dir.path() + "/taken", "x"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"f"});
}

TEST(SyncedFile, FailsInAReadOnlyFolder) {
  QTemporaryDir dir;
  const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
  QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  const bool rootCanWrite = QFile(dir.path() + "/probe").open(QIODevice::WriteOnly);
  QFile::remove(dir.path() + "/probe");
  if (!rootCanWrite) {
    EXPECT_FALSE(qmplatform::WriteFileSynced(dir.path() + "/g", "x"));
  }
  QFile::setPermissions(dir.path(), all);
  if (rootCanWrite) GTEST_SKIP() << "permissions do not hold for this user";
}

}  // namespace
