#include "dialogs/BackgroundImage.h"

#include <QFile>
#include <QSaveFile>

namespace qmbackground {

QString ImagePath(const QString& appDataFolder) {
  return appDataFolder + QStringLiteral("quietmarksv.jpg");
}

bool CopyImage(const QString& source, const QString& appDataFolder) {
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) return false;
  // The whole source is read first: the user may pick the current picture itself.
  const QByteArray bytes = in.readAll();
  if (in.error() != QFileDevice::NoError) return false;
  QSaveFile out(ImagePath(appDataFolder));
  if (!out.open(QIODevice::WriteOnly)) return false;
  if (out.write(bytes) != bytes.size()) {
    out.cancelWriting();
    return false;
  }
  return out.commit();
}

}  // namespace qmbackground
