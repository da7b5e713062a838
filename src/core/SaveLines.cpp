#include "core/SaveLines.h"

#include "core/Text.h"

#include <QSaveFile>

namespace qmtext {

bool SaveLines(const QString& path, const QStringList& lines, QString* error, bool ownerOnly) {
  return SaveBytes(path, JoinCrLf(lines), error, ownerOnly);
}

bool SaveBytes(const QString& path, const QByteArray& bytes, QString* error, bool ownerOnly) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) &&
      (!ownerOnly || file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) &&
      file.write(bytes) == bytes.size() && file.commit())
    return true;
  if (error) *error = file.errorString();
  return false;
}

}  // namespace qmtext
