#include "platform/SyncedFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

namespace qmplatform {
namespace {

bool SyncFolder(const QString& folder) {
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  // Some file systems cannot sync a folder (EINVAL); their rename is as far as we can go.
  const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return ok;
}

}  // namespace

bool WriteFileSynced(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0) {
    file.cancelWriting();
    file.commit();
    return false;
  }
  if (!file.commit()) return false;
  return SyncFolder(QFileInfo(path).absolutePath());
}

}  // namespace qmplatform
