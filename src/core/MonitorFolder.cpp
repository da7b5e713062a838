#include "core/MonitorFolder.h"

namespace qmfolder {

bool ValidMonitorId(const QString& id) {
  if (id.isEmpty() || id == QLatin1String(".") || id == QLatin1String("..")) return false;
  // Long IDs bloat the monitor list and every greeting; the list file and hidden names are the
  // program's own in the data folder.
  if (id.size() > kMaxMonitorId || id.startsWith(QLatin1Char('.')) ||
      id.compare(QLatin1String("clientlist.csv"), Qt::CaseInsensitive) == 0)
    return false;
  for (const QChar c : id) {
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') ||
        c.unicode() < 32 || c.unicode() == 127)
      return false;
  }
  return true;
}

bool IsMonitorFolderName(const QString& name) {
  return !name.isEmpty() && !name.startsWith(QLatin1Char('.')) &&
         !name.startsWith(QLatin1String("__"));
}

QString MonitorFolder(const QString& dataPath, const QString& id) { return dataPath + id; }

QString TermCfgPath(const QString& folder) { return folder + QStringLiteral("/term.cfg"); }

}  // namespace qmfolder
