#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace qmplatform {

// One mounted file system, by its mount point.
struct MountedDrive {
  QString root;
  bool removable = false;
};

// The PC's mounted file systems, in mount order. Tests give a fake.
class IDrives {
 public:
  virtual ~IDrives() = default;
  virtual QList<MountedDrive> Mounted() const = 0;
  // True while the folder is the mount point of a removable file system.
  bool IsRemovableMount(const QString& root) const;
};

// Block device numbers to "is removable".
using RemovableTest = std::function<bool(unsigned major, unsigned minor, const QString& source)>;

// Parses /proc/self/mountinfo text: every mount point (escapes such as \040 decoded) with the
// answer of the test for its device.
QList<MountedDrive> ParseMountInfo(const QByteArray& text, const RemovableTest& removable);

// Linux: mountinfo, and the sysfs "removable" flag of the device or of the disk it belongs to.
class LinuxDrives : public IDrives {
 public:
  explicit LinuxDrives(QString mountInfo = QStringLiteral("/proc/self/mountinfo"),
                       QString sysfs = QStringLiteral("/sys"));
  QList<MountedDrive> Mounted() const override;
  bool IsRemovableDevice(unsigned major, unsigned minor, const QString& source) const;

 private:
  QString mountInfo_;
  QString sysfs_;
};

}  // namespace qmplatform
