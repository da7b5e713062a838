#include "platform/DiskSpace.h"

#include <QFile>

#include <sys/statvfs.h>

namespace qmplatform {

namespace {
std::function<DiskSpace(const QString&)>& Source() {
  static std::function<DiskSpace(const QString&)> source;
  return source;
}
}  // namespace

DiskSpace ReadDiskSpace(const QString& path) {
  if (Source()) return Source()(path);
  struct statvfs s {};
  if (::statvfs(QFile::encodeName(path).constData(), &s) != 0) return {};
  return {qint64(s.f_bavail) * qint64(s.f_frsize), qint64(s.f_blocks) * qint64(s.f_frsize)};
}

void SetDiskSpaceSource(std::function<DiskSpace(const QString&)> source) {
  Source() = std::move(source);
}

}  // namespace qmplatform
