#include "platform/RemovableDrives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qmplatform {
namespace {

// mountinfo writes space, tab, newline and backslash in paths as a backslash and three octal
// digits.
QString DecodeMountPath(const QByteArray& field) {
  QByteArray out;
  out.reserve(field.size());
  for (qsizetype i = 0; i < field.size(); ++i) {
    const char c = field[i];
    if (c == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      out += c;
    }
  }
  return QFile::decodeName(out);
}

bool FlagSet(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  return f.read(16).trimmed() == "1";
}

}  // namespace

bool IDrives::IsRemovableMount(const QString& root) const {
  const QString wanted = QDir::cleanPath(root);
  for (const MountedDrive& d : Mounted())
    if (d.removable && QDir::cleanPath(d.root) == wanted) return true;
  return false;
}

QList<MountedDrive> ParseMountInfo(const QByteArray& text, const RemovableTest& removable) {
  QList<MountedDrive> drives;
  for (const QByteArray& line : text.split('\n')) {
    // id parent major:minor root mount-point options [optional...] - type source super-options
    const QList<QByteArray> f = line.simplified().split(' ');
    if (f.size() < 5) continue;
    const QList<QByteArray> dev = f[2].split(':');
    if (dev.size() != 2) continue;
    bool okMajor = false, okMinor = false;
    const unsigned major = dev[0].toUInt(&okMajor);
    const unsigned minor = dev[1].toUInt(&okMinor);
    if (!okMajor || !okMinor) continue;
    QString source;
    const qsizetype dash = f.indexOf("-", 6);
    if (dash > 0 && dash + 2 < f.size()) source = DecodeMountPath(f[dash + 2]);
    drives.append({DecodeMountPath(f[4]), removable(major, minor, source)});
  }
  return drives;
}

LinuxDrives::LinuxDrives(QString mountInfo, QString sysfs)
    : mountInfo_(std::move(mountInfo)), sysfs_(std::move(sysfs)) {}

QList<MountedDrive> LinuxDrives::Mounted() const {
  QFile f(mountInfo_);
  if (!f.open(QIODevice::ReadOnly)) return {};
  // The file is generated as it is read: readAll, not size().
  return ParseMountInfo(f.readAll(), [this](unsigned major, unsigned minor, const QString& src) {
    return IsRemovableDevice(major, minor, src);
  });
}

bool LinuxDrives::IsRemovableDevice(unsigned major, unsigned minor, const QString& source) const {
  // A partition has no flag of its own; its disk, the folder above it, has.
  auto flagged = [](const QString& deviceDir) {
    if (deviceDir.isEmpty()) return false;
    if (QFileInfo::exists(deviceDir + "/removable")) return FlagSet(deviceDir + "/removable");
    return FlagSet(QFileInfo(deviceDir).path() + "/removable");
  };
  if (major != 0) {
    const QString dir =
        QFileInfo(QStringLiteral("%1/dev/block/%2:%3").arg(sysfs_).arg(major).arg(minor))
            .canonicalFilePath();
    if (!dir.isEmpty()) return flagged(dir);
  }
  // File systems with anonymous device numbers (btrfs, for one) are found by their source.
  if (source.startsWith(QLatin1String("/dev/")) && !source.contains(QLatin1String("/.."))) {
    const QString name = QFileInfo(source).fileName();
    return flagged(QFileInfo(sysfs_ + "/class/block/" + name).canonicalFilePath());
  }
  return false;
}

}  // namespace qmplatform
