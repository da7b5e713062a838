#include "dialogs/NetStick.h"

#include "core/IpAddress.h"
#include "core/Text.h"
#include "platform/SyncedFile.h"

#include <QDir>
#include <QFile>

namespace qmstick {

QByteArray CnxBytes(const QStringList& names, const QStringList& psks) {
  QStringList lines;
  for (qsizetype i = 0; i < names.size(); ++i) {
    lines << QStringLiteral("ssid=") + names[i];
    lines << QStringLiteral("psk=") + psks.value(i);
  }
  return qmtext::JoinCrLf(lines);
}

QByteArray IpBytes(const QString& ip, const QString& port) {
  return qmtext::JoinCrLf({QStringLiteral("ip=") + ip, QStringLiteral("port=") + port});
}

QByteArray ServiceBytes() { return qmtext::JoinCrLf({QStringLiteral("service mode")}); }

TFieldCheck CheckServerFields(const QString& ip, const QString& port) {
  if (!ip.isEmpty() && !ValidIPAdx(ip)) return TFieldCheck::BadServerIP;
  if (!port.isEmpty()) {
    const auto n = qmtext::ToInt(port);
    if (!n || *n < 0 || *n > 65535) return TFieldCheck::BadServerPort;
  }
  return TFieldCheck::Ok;
}

bool WriteStick(const QString& root, const TStickContent& content,
                const qmplatform::IDrives& drives) {
  if (!drives.IsRemovableMount(root)) return false;
  const QDir dir(root);
  bool ok = true;
  auto apply = [&](const char* name, bool wanted, const QByteArray& bytes) {
    const QString path = dir.filePath(QLatin1String(name));
    if (wanted) {
      if (!qmplatform::WriteFileSynced(path, bytes)) ok = false;
    } else if (QFile::exists(path)) {
      QFile::remove(path);  // a failed deletion is not reported
    }
  };
  apply(kCnxFile, content.bNetwork, CnxBytes(content.slNetName, content.slNetPsk));
  apply(kIpFile, content.bServer, IpBytes(content.sServerIP, content.sServerPort));
  apply(kServiceFile, content.bService, ServiceBytes());
  return ok;
}

bool TDriveWatch::Check() {
  const QList<qmplatform::MountedDrive> mounted = drives_.Mounted();
  if (mounted.size() == nLastDrives) return false;
  removable_.clear();
  for (const qmplatform::MountedDrive& d : mounted)
    if (d.removable) removable_ << d.root;
  nLastDrives = static_cast<int>(mounted.size());
  return true;
}

}  // namespace qmstick
