#include "report/DataFolder.h"

#include "core/IniFile.h"
#include "core/MonitorFolder.h"
#include "core/Text.h"
#include "platform/AppPaths.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

namespace qmreport {

namespace {
double TriggerLevel(const IniFile& ini, const char* key) {
  const auto text = ini.Read(QStringLiteral("head"), QString::fromLatin1(key));
  if (!text) return NAN;
  const auto v = qmtext::ToDouble(QStringView(*text).trimmed());
  return v && std::isfinite(*v) ? *v : NAN;
}

// Resolves links of the longest existing head of `path` and keeps the rest as written.
QString Resolved(const QString& path) {
  QString head = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  QString tail;
  while (!head.isEmpty() && !QFileInfo::exists(head)) {
    const int cut = head.lastIndexOf(QLatin1Char('/'));
    if (cut <= 0) break;
    tail = head.mid(cut) + tail;
    head = head.left(cut);
  }
  const QString canonical = QFileInfo(head).canonicalFilePath();
  return (canonical.isEmpty() ? head : canonical) + tail;
}
}  // namespace

QString FindDataPath(const QString& override) {
  if (!override.isEmpty()) return qmplatform::WithTrailingSeparator(override);
  // The supervisor's folder, read only: the reporter creates nothing.
  const QString folder = qmplatform::AppDataFolderPath();
  if (folder.isEmpty()) return {};
  const IniFile ini(folder + QStringLiteral("settings.ini"));
  const QString stored = ini.ReadString(QStringLiteral("app"), QStringLiteral("datapath"), {});
  if (!stored.isEmpty()) return qmplatform::WithTrailingSeparator(stored);
  return folder + QStringLiteral("data/");
}

MonitorInfo ReadMonitor(const QString& dataPath, const QString& id) {
  MonitorInfo m;
  m.id = id;
  const IniFile ini(dataPath + id + QStringLiteral("/term.cfg"));
  m.name = ini.ReadString(QStringLiteral("head"), QStringLiteral("name"), {});
  m.type = ini.ReadString(QStringLiteral("head"), QStringLiteral("type"), {});
  m.trig1 = TriggerLevel(ini, "trig1");
  m.trig2 = TriggerLevel(ini, "trig2");
  return m;
}

QList<MonitorInfo> ListMonitors(const QString& dataPath) {
  QList<MonitorInfo> list;
  if (dataPath.isEmpty()) return list;
  const QFileInfoList entries =
      QDir(dataPath).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  for (const QFileInfo& fi : entries) {
    const QString name = fi.fileName();
    if (fi.isSymLink() || !qmfolder::IsMonitorFolderName(name)) continue;
    list.append(ReadMonitor(dataPath, name));
  }
  return list;
}

bool IsInside(const QString& path, const QString& folder) {
  if (folder.isEmpty()) return false;
  const QString f = Resolved(folder);
  const QString p = Resolved(path);
  return p == f || p.startsWith(f + QLatin1Char('/'));
}

}  // namespace qmreport
