#pragma once

#include "platform/RemovableDrives.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the memory-stick dialog writes, without its widgets.
namespace qmstick {

inline constexpr char kCnxFile[] = "qmsv_cnx";
inline constexpr char kIpFile[] = "qmsv_ip";
inline constexpr char kServiceFile[] = "qmsv_service";

struct TStickContent {
  bool bNetwork = false;
  QStringList slNetName;
  QStringList slNetPsk;  // same order and count as slNetName
  bool bServer = false;
  QString sServerIP;
  QString sServerPort;
  bool bService = false;
};

// "ssid=" and "psk=" lines per network, in the order added; empty without networks.
QByteArray CnxBytes(const QStringList& names, const QStringList& psks);
QByteArray IpBytes(const QString& ip, const QString& port);
QByteArray ServiceBytes();

enum class TFieldCheck { Ok, BadServerIP, BadServerPort };
// An empty field passes; the checks hold whether or not the Supervisor box is checked.
TFieldCheck CheckServerFields(const QString& ip, const QString& port);

// Writes the checked files into the drive's root and deletes the others, each attempted. False
// when a write failed or the folder is no longer a mounted removable drive (then nothing is
// touched, so nothing lands on the PC's own disk under an empty mount point).
bool WriteStick(const QString& root, const TStickContent& content,
                const qmplatform::IDrives& drives);

// The drive check: rebuilt only when the number of mounted file systems changed.
class TDriveWatch {
 public:
  explicit TDriveWatch(const qmplatform::IDrives& drives) : drives_(drives) {}
  // True when the list was rebuilt (Removable() then holds the new list).
  bool Check();
  const QStringList& Removable() const { return removable_; }
  int nLastDrives = -1;

 private:
  const qmplatform::IDrives& drives_;
  QStringList removable_;
};

}  // namespace qmstick
