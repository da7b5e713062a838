#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace qmplatform {

QString WithTrailingSeparator(const QString& path) {
  if (path.isEmpty() || path.endsWith(QLatin1Char('/'))) return path;
  return path + QLatin1Char('/');
}

QString AllUsersDataFolder() {
  return WithTrailingSeparator(
      QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString AppDataFolderPath() {
  const QString base = AllUsersDataFolder();
  if (base.isEmpty()) return {};
  return base + QStringLiteral("Brackenhall/Quietmark-SV/");
}

QString AppDataFolder() {
  const QString folder = AppDataFolderPath();
  if (folder.isEmpty() || !QDir().mkpath(folder)) return {};
  return folder;
}

QString ExecutablePath() {
  if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath();
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString ProgramFolder() {
  return WithTrailingSeparator(QFileInfo(ExecutablePath()).absolutePath());
}

}  // namespace qmplatform
