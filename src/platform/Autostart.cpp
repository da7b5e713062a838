#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace qmplatform {

QString XdgAutostart::EntryPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/autostart/quietmark-sv.desktop");
}

void XdgAutostart::Set(const QString& name, const QString& command) {
  const QString path = EntryPath();
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return;
  // Exec takes the path quoted, so spaces in the folder survive.
  QString exec = command;
  exec.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), "\\\"");
  const QString text = QStringLiteral(
                           "[Desktop Entry]\nType=Application\nName=%1\nExec=\"%2\"\n"
                           "X-GNOME-Autostart-enabled=true\n")
                           .arg(name, exec);
  file.write(text.toUtf8());
  file.commit();
}

void XdgAutostart::Remove(const QString&) { QFile::remove(EntryPath()); }

}  // namespace qmplatform
